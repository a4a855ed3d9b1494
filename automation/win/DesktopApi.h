#pragma once

#include "automation/Desktop.h"

// The desktop on Windows: the real cursor, the program's one OverlayWindow, the
// shared input hooks (input/win/InputHooks), the process list and the tick count.
class DesktopApi : public Desktop {
  public:
    AutomationElementPtr elementUnderCursor(AutomationClient* client) override;
    bool cursorPosition(int& x, int& y) override;
    bool inputHeld() override;
    bool showOverlay(AutomationClient* client, const AutomationElementPtr& element) override;
    ElementRect overlayRect() override;
    void removeOverlayWindow() override;
    void installInputHooks(const void* user, bool keyboard) override;
    void removeInputHooks(const void* user) override;
    int activateApplication(const String& moduleName) override;
    std::vector<uint32_t> processIds() override;
    uint64_t now() override;
};
