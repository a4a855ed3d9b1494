#pragma once

#include "automation/AutomationClient.h"

#include <functional>
#include <map>

// An element tree held in memory: the automation client of the tests. The tree
// starts with a desktop root (name "Desktop 1", class "#32769", 1280 x 1024);
// tests add elements under it and change their properties at will. Faults are
// injected by call number: every query of the client interface counts as one
// call, and a test may fail a chosen call or change the tree just before it (an
// element that disappears in the middle of a walk).
class MemoryAutomation : public AutomationClient {
  public:
    struct Properties {
        std::optional<String> name = String();
        String className;
        String automationId;
        uint32_t processId = 0;
        uintptr_t nativeWindow = 0;
        ElementRect rect;
        // Left empty, add() gives the element a unique id {42, n}.
        std::vector<int32_t> runtimeId;
    };

    MemoryAutomation();
    ~MemoryAutomation() override;

    // Appends a new last child of `parent`; null when `parent` is not a live element
    // of this tree.
    AutomationElementPtr add(const AutomationElementPtr& parent, Properties properties);
    // The same for the properties most tests set.
    AutomationElementPtr add(const AutomationElementPtr& parent, std::optional<String> name,
                             const String& className = String(),
                             const String& automationId = String(), ElementRect rect = {});
    // Takes the element and its subtree out of the tree; handles to them stay valid
    // but every query on them fails from then on, as for a closed window.
    void remove(const AutomationElementPtr& element);
    // The element's properties for reading and changing; null for a removed element.
    Properties* properties(const AutomationElementPtr& element);

    // The executable that processModule reports for a process id.
    void setProcessModule(uint32_t processId, ProcessModule module);

    // Queries made so far, all kinds together, and of two kinds that searches and
    // traces are measured by.
    int calls = 0;
    int findChildrenCalls = 0;
    int processModuleCalls = 0;
    // The query with this number (1 = the next one after a reset of `calls` to 0)
    // fails as a platform call would; 0 fails none.
    int failingCall = 0;
    // Runs before each query with its number; tests remove elements here.
    std::function<void(int call)> beforeCall;
    // Counts the queries afresh and fails the one with number `call`.
    void failAt(int call) { calls = 0, failingCall = call; }
    // Counts the queries afresh and removes `element` just before the one with
    // number `call`, as when its window closes in the middle of a walk.
    void removeAt(int call, AutomationElementPtr element) {
        calls = 0;
        beforeCall = [this, call, element](int n) {
            if (n == call)
                remove(element);
        };
    }

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

    struct Node;

  private:
    AutomationElementPtr handle(const std::shared_ptr<Node>& node) const;
    // Counts a query; false when it is the one to fail.
    bool query();
    // The live node of `element` after counting the query; null when it fails.
    std::shared_ptr<Node> queried(const AutomationElementPtr& element);
    // One property of `element` as a query; none when it fails.
    template <typename T>
    std::optional<T> read(const AutomationElementPtr& element, T Properties::*field);

    std::shared_ptr<Node> desktop;
    int nextRuntimeId = 1;
    std::map<uint32_t, ProcessModule> modules;
};
