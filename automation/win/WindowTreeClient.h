#pragma once

#include "automation/AutomationClient.h"

#include <windows.h>

// The automation client over native windows, for systems where UI Automation
// cannot be created (Wine among them). It sees what is a window: top-level
// windows, dialogs and their controls. Where cheap it answers as UI Automation
// does for Win32 windows, so that recordings made with either client look alike:
// the root is the desktop window named "Desktop 1"; children are the visible
// windows in z-order; every top-level window, owned or not, is a child of the
// root; a control's automation id is its control id; names lose their mnemonic
// '&'; edit fields and combo boxes are named by their label, not by their
// changing content; the runtime id is {42, handle}. A menu bar counts as its
// window and an open popup menu as its "#32768" window. An element whose window
// has been destroyed answers none, empty or false everywhere.
class WindowTreeClient : public AutomationClient {
  public:
    // The element of a window; null when `window` is not a window.
    AutomationElementPtr element(HWND window);

    AutomationElementPtr root() override;
    AutomationElementPtr parent(const AutomationElementPtr& element) override;
    AutomationElementPtr firstChild(const AutomationElementPtr& element) override;
    AutomationElementPtr nextSibling(const AutomationElementPtr& element) override;
    std::vector<AutomationElementPtr> findChildren(const AutomationElementPtr& element,
                                                   const ElementCondition& condition) override;
    // The deepest visible, enabled window under the point; click-through layered
    // windows (the program's own frame among them) are never hit.
    AutomationElementPtr elementAtPoint(int x, int y) override;
    bool sameElement(const AutomationElementPtr& a, const AutomationElementPtr& b) override;

    std::optional<String> name(const AutomationElementPtr& element) override;
    std::optional<String> className(const AutomationElementPtr& element) override;
    std::optional<String> automationId(const AutomationElementPtr& element) override;
    std::optional<uint32_t> processId(const AutomationElementPtr& element) override;
    uintptr_t nativeWindow(const AutomationElementPtr& element) override;
    std::optional<ElementRect> boundingRect(const AutomationElementPtr& element) override;
    std::vector<int32_t> runtimeId(const AutomationElementPtr& element) override;
    std::optional<ProcessModule> processModule(uint32_t processId) override;
};
