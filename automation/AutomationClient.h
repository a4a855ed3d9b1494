#pragma once

#include "base/String.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A live user-interface element as the automation client hands it out. Each client
// derives its own element type (a COM element, a window handle, a node of an
// in-memory tree); callers only pass the handle back to the client that made it.
// The element is released when the last handle goes.
class AutomationElement {
  public:
    virtual ~AutomationElement() = default;
};

using AutomationElementPtr = std::shared_ptr<AutomationElement>;

// Screen rectangle in physical pixels, right and bottom exclusive.
struct ElementRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // Empty unless both width and height are greater than 0.
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend bool operator==(const ElementRect&, const ElementRect&) = default;
};

// The three properties an element search matches on.
enum class ElementProperty { AutomationId, Name, ClassName };

// A condition on an element: every listed property equals its text exactly
// (case-sensitive). No terms match every element.
struct ElementCondition {
    struct Term {
        ElementProperty property;
        String value;
    };
    std::vector<Term> terms;
};

// The executable of a process: its first module.
struct ProcessModule {
    String baseName; // file name as the platform reports it, case unchanged
    String path;     // full path, case unchanged
};

// The one way the program reaches the elements of other applications. Every
// operation accepts a null element and then answers none, empty or false, as it
// does for any failed platform call; nothing is reported beyond that.
class AutomationClient {
  public:
    virtual ~AutomationClient() = default;

    // The desktop root; null on failure.
    virtual AutomationElementPtr root() = 0;
    // Parent in the control view; null for the desktop root and on failure.
    virtual AutomationElementPtr parent(const AutomationElementPtr& element) = 0;
    // Children in the control view, in order; null when there are no more.
    virtual AutomationElementPtr firstChild(const AutomationElementPtr& element) = 0;
    virtual AutomationElementPtr nextSibling(const AutomationElementPtr& element) = 0;
    // The direct children that satisfy the condition, in order; empty on failure.
    virtual std::vector<AutomationElementPtr> findChildren(const AutomationElementPtr& element,
                                                           const ElementCondition& condition) = 0;
    // The element at a screen position; null when there is none.
    virtual AutomationElementPtr elementAtPoint(int x, int y) = 0;
    // True when both handles denote the same live element.
    virtual bool sameElement(const AutomationElementPtr& a, const AutomationElementPtr& b) = 0;

    // The name; nullopt when the platform reports none at all, which differs from a
    // present, empty name.
    virtual std::optional<String> name(const AutomationElementPtr& element) = 0;
    // Class name and automation id; nullopt when unreadable (callers treat it as empty).
    virtual std::optional<String> className(const AutomationElementPtr& element) = 0;
    virtual std::optional<String> automationId(const AutomationElementPtr& element) = 0;
    virtual std::optional<uint32_t> processId(const AutomationElementPtr& element) = 0;
    // The native window handle as a number; 0 when the element has none.
    virtual uintptr_t nativeWindow(const AutomationElementPtr& element) = 0;
    virtual std::optional<ElementRect> boundingRect(const AutomationElementPtr& element) = 0;
    // The runtime id; empty when it cannot be read.
    virtual std::vector<int32_t> runtimeId(const AutomationElementPtr& element) = 0;

    // The executable of the process with that id, looked up directly (no walk over
    // every process); nullopt when the process cannot be opened or its modules
    // cannot be listed.
    virtual std::optional<ProcessModule> processModule(uint32_t processId) = 0;
};
