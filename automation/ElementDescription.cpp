#include "automation/ElementDescription.h"

#include <map>

namespace {

// A broken provider could report an element as its own ancestor; a trace never
// grows past this many levels (real ones have a few dozen at most).
constexpr size_t traceLevelLimit = 4096;

// The processes a trace has looked up, so each distinct one is opened once.
using ModuleCache = std::map<uint32_t, std::optional<ProcessModule>>;

void describe(AutomationClient& client, ElementDescriptor& descriptor,
              const AutomationElementPtr& element, ModuleCache* cache) {
    descriptor.name = client.name(element);
    const std::optional<uint32_t> processId = client.processId(element);
    descriptor.className = client.className(element).value_or(String());
    descriptor.automationId = client.automationId(element).value_or(String());
    if (!processId)
        return;

    std::optional<ProcessModule> module;
    if (cache) {
        auto known = cache->find(*processId);
        if (known == cache->end())
            known = cache->emplace(*processId, client.processModule(*processId)).first;
        module = known->second;
    } else {
        module = client.processModule(*processId);
    }
    if (!module)
        return;
    descriptor.moduleName = module->baseName.lower();
    descriptor.modulePath = module->path;
}

} // namespace

void describeElement(AutomationClient* client, ElementDescriptor& descriptor,
                     const AutomationElementPtr& element) {
    if (!client || !element)
        return;
    describe(*client, descriptor, element, nullptr);
}

ElementTrace buildTrace(AutomationClient* client, const AutomationElementPtr& element) {
    ElementTrace trace;
    if (!client || !element)
        return trace;
    ModuleCache modules;
    ElementDescriptor working;
    AutomationElementPtr level = element;
    while (level && trace.elements.size() < traceLevelLimit) {
        describe(*client, working, level, &modules);
        trace.elements.push_back(working);
        level = parentElement(client, level);
    }
    return trace;
}

AutomationElementPtr parentElement(AutomationClient* client, const AutomationElementPtr& element) {
    if (!client || !element)
        return nullptr;
    AutomationElementPtr root = client->root();
    if (!root || client->sameElement(element, root))
        return nullptr;
    return client->parent(element);
}

String runtimeIdText(AutomationClient* client, const AutomationElementPtr& element) {
    String text;
    if (!client || !element)
        return text;
    for (int32_t part : client->runtimeId(element))
        text += String::format(u"%x", static_cast<unsigned>(part));
    return text;
}

bool isElementInWindow(AutomationClient* client, const AutomationElementPtr& element,
                       uintptr_t window) {
    if (!client || window == 0)
        return false;
    AutomationElementPtr level = element;
    for (size_t depth = 0; level && depth < traceLevelLimit; ++depth) {
        if (client->nativeWindow(level) == window)
            return true;
        level = parentElement(client, level);
    }
    return false;
}
