#pragma once

#include "automation/AutomationClient.h"

#include <memory>

struct IUIAutomation;
struct IUIAutomationTreeWalker;

// The automation client over UI Automation (COM). Children, parent and siblings
// come from the control view, the view the element search and the traces are
// recorded in. COM must be initialised on the calling thread by the caller, and
// stay so while the client and its elements live.
class UiaAutomationClient : public AutomationClient {
  public:
    // Keeps its own reference to `automation` until destroyed; a null automation
    // answers none to everything.
    explicit UiaAutomationClient(IUIAutomation* automation);
    ~UiaAutomationClient() override;
    UiaAutomationClient(const UiaAutomationClient&) = delete;
    UiaAutomationClient& operator=(const UiaAutomationClient&) = delete;

    AutomationElementPtr root() override;
    AutomationElementPtr parent(const AutomationElementPtr& element) override;
    AutomationElementPtr firstChild(const AutomationElementPtr& element) override;
    AutomationElementPtr nextSibling(const AutomationElementPtr& element) override;
    std::vector<AutomationElementPtr> findChildren(const AutomationElementPtr& element,
                                                   const ElementCondition& condition) override;
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

  private:
    enum class Step { Parent, FirstChild, NextSibling };
    AutomationElementPtr walk(Step step, const AutomationElementPtr& element);
    // The control-view walker, fetched on first use and kept.
    IUIAutomationTreeWalker* controlView();

    IUIAutomation* automation = nullptr;
    IUIAutomationTreeWalker* walker = nullptr;
};

// The client over the system's UI Automation (CUIAutomation, in-process); null
// when it cannot be created, as where UI Automation is not registered.
std::unique_ptr<AutomationClient> createUiAutomationClient();
