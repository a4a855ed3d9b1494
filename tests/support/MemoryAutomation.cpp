#include "tests/support/MemoryAutomation.h"

#include <algorithm>

struct MemoryAutomation::Node {
    Properties properties;
    std::weak_ptr<Node> parent;
    std::vector<std::shared_ptr<Node>> children;
    bool attached = true;
};

namespace {

class MemoryElement : public AutomationElement {
  public:
    explicit MemoryElement(std::shared_ptr<MemoryAutomation::Node> n) : node(std::move(n)) {}
    std::shared_ptr<MemoryAutomation::Node> node;
};

std::shared_ptr<MemoryAutomation::Node> nodeOf(const AutomationElementPtr& element) {
    auto* memory = dynamic_cast<MemoryElement*>(element.get());
    if (!memory || !memory->node->attached)
        return nullptr;
    return memory->node;
}

void detach(MemoryAutomation::Node& node) {
    node.attached = false;
    for (auto& child : node.children)
        detach(*child);
}

// Absent names compare as empty, as the platform's property conditions do.
bool satisfies(const MemoryAutomation::Properties& p, const ElementCondition& condition) {
    static const String noName;
    for (const ElementCondition::Term& term : condition.terms) {
        const String& actual = term.property == ElementProperty::AutomationId ? p.automationId
                               : term.property == ElementProperty::ClassName  ? p.className
                               : p.name                                       ? *p.name
                                                                              : noName;
        if (!(actual == term.value))
            return false;
    }
    return true;
}

} // namespace

MemoryAutomation::MemoryAutomation() : desktop(std::make_shared<Node>()) {
    desktop->properties = {String(u"Desktop 1"), u"#32769", u"", 0, 0, {0, 0, 1280, 1024}, {42, 0}};
}

MemoryAutomation::~MemoryAutomation() = default;

AutomationElementPtr MemoryAutomation::handle(const std::shared_ptr<Node>& node) const {
    if (!node || !node->attached)
        return nullptr;
    return std::make_shared<MemoryElement>(node);
}

AutomationElementPtr MemoryAutomation::add(const AutomationElementPtr& parent,
                                           Properties properties) {
    std::shared_ptr<Node> owner = nodeOf(parent);
    if (!owner)
        return nullptr;
    auto node = std::make_shared<Node>();
    if (properties.runtimeId.empty())
        properties.runtimeId = {42, nextRuntimeId++};
    node->properties = std::move(properties);
    node->parent = owner;
    owner->children.push_back(node);
    return handle(node);
}

AutomationElementPtr MemoryAutomation::add(const AutomationElementPtr& parent,
                                           std::optional<String> name, const String& className,
                                           const String& automationId, ElementRect rect) {
    return add(parent, {std::move(name), className, automationId, 0, 0, rect, {}});
}

void MemoryAutomation::remove(const AutomationElementPtr& element) {
    std::shared_ptr<Node> node = nodeOf(element);
    if (!node || node == desktop)
        return;
    if (std::shared_ptr<Node> owner = node->parent.lock())
        std::erase(owner->children, node);
    detach(*node);
}

MemoryAutomation::Properties* MemoryAutomation::properties(const AutomationElementPtr& element) {
    std::shared_ptr<Node> node = nodeOf(element);
    return node ? &node->properties : nullptr;
}

AutomationElementPtr MemoryAutomation::root() {
    if (!query())
        return nullptr;
    return handle(desktop);
}

AutomationElementPtr MemoryAutomation::parent(const AutomationElementPtr& element) {
    std::shared_ptr<Node> node = queried(element);
    if (!node || node == desktop)
        return nullptr;
    return handle(node->parent.lock());
}

AutomationElementPtr MemoryAutomation::firstChild(const AutomationElementPtr& element) {
    std::shared_ptr<Node> node = queried(element);
    if (!node || node->children.empty())
        return nullptr;
    return handle(node->children.front());
}

AutomationElementPtr MemoryAutomation::nextSibling(const AutomationElementPtr& element) {
    std::shared_ptr<Node> node = queried(element);
    std::shared_ptr<Node> owner = node ? node->parent.lock() : nullptr;
    if (!owner)
        return nullptr;
    const auto& siblings = owner->children;
    auto at = std::find(siblings.begin(), siblings.end(), node);
    return at == siblings.end() || at + 1 == siblings.end() ? nullptr : handle(*(at + 1));
}

std::vector<AutomationElementPtr>
MemoryAutomation::findChildren(const AutomationElementPtr& element,
                               const ElementCondition& condition) {
    ++findChildrenCalls;
    std::vector<AutomationElementPtr> found;
    std::shared_ptr<Node> node = queried(element);
    if (!node)
        return found;
    for (const auto& child : node->children) {
        if (satisfies(child->properties, condition))
            found.push_back(handle(child));
    }
    return found;
}

AutomationElementPtr MemoryAutomation::elementAtPoint(int x, int y) {
    if (!query())
        return nullptr;
    // The first child in order lies on top of its later siblings.
    if (!desktop->properties.rect.contains(x, y))
        return nullptr;
    const auto under = [x, y](const auto& child) { return child->properties.rect.contains(x, y); };
    for (std::shared_ptr<Node> hit = desktop;;) {
        auto child = std::find_if(hit->children.begin(), hit->children.end(), under);
        if (child == hit->children.end())
            return handle(hit);
        hit = *child;
    }
}

bool MemoryAutomation::sameElement(const AutomationElementPtr& a, const AutomationElementPtr& b) {
    std::shared_ptr<Node> x = queried(a);
    return x && x == nodeOf(b);
}

template <typename T>
std::optional<T> MemoryAutomation::read(const AutomationElementPtr& element, T Properties::*field) {
    std::shared_ptr<Node> node = queried(element);
    if (!node)
        return std::nullopt;
    return node->properties.*field;
}

std::optional<String> MemoryAutomation::name(const AutomationElementPtr& element) {
    return read(element, &Properties::name).value_or(std::nullopt);
}

std::optional<String> MemoryAutomation::className(const AutomationElementPtr& element) {
    return read(element, &Properties::className);
}

std::optional<String> MemoryAutomation::automationId(const AutomationElementPtr& element) {
    return read(element, &Properties::automationId);
}

std::optional<uint32_t> MemoryAutomation::processId(const AutomationElementPtr& element) {
    return read(element, &Properties::processId);
}

uintptr_t MemoryAutomation::nativeWindow(const AutomationElementPtr& element) {
    return read(element, &Properties::nativeWindow).value_or(0);
}

std::optional<ElementRect> MemoryAutomation::boundingRect(const AutomationElementPtr& element) {
    return read(element, &Properties::rect);
}

std::vector<int32_t> MemoryAutomation::runtimeId(const AutomationElementPtr& element) {
    return read(element, &Properties::runtimeId).value_or(std::vector<int32_t>());
}

std::optional<ProcessModule> MemoryAutomation::processModule(uint32_t processId) {
    ++processModuleCalls;
    if (!query())
        return std::nullopt;
    auto found = modules.find(processId);
    return found == modules.end() ? std::nullopt : std::optional(found->second);
}

void MemoryAutomation::setProcessModule(uint32_t processId, ProcessModule module) {
    modules[processId] = std::move(module);
}

bool MemoryAutomation::query() {
    ++calls;
    if (beforeCall)
        beforeCall(calls);
    return calls != failingCall;
}

std::shared_ptr<MemoryAutomation::Node>
MemoryAutomation::queried(const AutomationElementPtr& element) {
    if (!query())
        return nullptr;
    return nodeOf(element);
}
