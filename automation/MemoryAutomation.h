#pragma once

#include "automation/AutomationClient.h"

// An element tree held in memory: the automation client of the native tests. The
// tree starts with a desktop root (name "Desktop 1", class "#32769", 1280 x 1024);
// tests add elements under it and change their properties at will.
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

    // How often findChildren was called, for tests that count platform calls.
    int findChildrenCalls = 0;

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

    struct Node;

  private:
    AutomationElementPtr handle(const std::shared_ptr<Node>& node) const;

    std::shared_ptr<Node> desktop;
    int nextRuntimeId = 1;
};
