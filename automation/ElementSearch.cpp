#include "automation/ElementSearch.h"

#include "automation/ElementDescription.h"

#include <vector>

namespace {

constexpr int worseThanAnyMode = 99;

const char16_t* const modeTexts[matchModeCount] = {
    u"AID and Name", u"AID and Class", u"Class and Name", u"AID", u"Name", u"Class"};

ElementCondition::Term term(ElementProperty property, const String& value) {
    return ElementCondition::Term{property, value};
}

// Every descriptor starts the search unmatched and without a note.
void resetMatches(ElementTrace& trace) {
    for (ElementDescriptor& descriptor : trace.elements) {
        descriptor.found = false;
        descriptor.matchNote.clear();
    }
}

// Depth-first under `start` for the target's name and class name; children are
// compared as they are pushed, the element pushed last is expanded first.
AutomationElementPtr walkForTarget(AutomationClient& client, const AutomationElementPtr& start,
                                   ElementDescriptor& target) {
    const String targetName = target.name.value_or(String());
    std::vector<AutomationElementPtr> stack;
    if (start)
        stack.push_back(start);
    while (!stack.empty()) {
        AutomationElementPtr parent = std::move(stack.back());
        stack.pop_back();
        for (AutomationElementPtr child = client.firstChild(parent); child;
             child = client.nextSibling(child)) {
            stack.push_back(child);
            if (client.name(child).value_or(String()) == targetName &&
                client.className(child).value_or(String()) == target.className) {
                target.found = true;
                target.matchNote += u"Tree Walker";
                return child;
            }
        }
    }
    return nullptr;
}

} // namespace

String matchModeText(int mode) {
    return mode >= 0 && mode < matchModeCount ? String(modeTexts[mode]) : String();
}

std::optional<ElementCondition> matchCondition(const ElementDescriptor& d, int mode) {
    const bool hasAid = !d.automationId.empty();
    const bool hasClass = !d.className.empty();
    const bool hasName = d.name.has_value();
    const String name = d.name.value_or(String());
    ElementCondition condition;
    switch (static_cast<MatchMode>(mode)) {
    case MatchMode::AidAndName:
        if (!hasAid || !hasName)
            return std::nullopt;
        condition.terms = {term(ElementProperty::AutomationId, d.automationId),
                           term(ElementProperty::Name, name)};
        break;
    case MatchMode::AidAndClass:
        if (!hasAid || !hasClass)
            return std::nullopt;
        condition.terms = {term(ElementProperty::AutomationId, d.automationId),
                           term(ElementProperty::ClassName, d.className)};
        break;
    case MatchMode::ClassAndName:
        if (!hasClass || !hasName)
            return std::nullopt;
        condition.terms = {term(ElementProperty::ClassName, d.className),
                           term(ElementProperty::Name, name)};
        break;
    case MatchMode::Aid:
        if (!hasAid)
            return std::nullopt;
        condition.terms = {term(ElementProperty::AutomationId, d.automationId)};
        break;
    case MatchMode::Name:
        if (!hasName)
            return std::nullopt;
        condition.terms = {term(ElementProperty::Name, name)};
        break;
    case MatchMode::Class:
        if (!hasClass)
            return std::nullopt;
        condition.terms = {term(ElementProperty::ClassName, d.className)};
        break;
    default:
        return std::nullopt;
    }
    return condition;
}

AutomationElementPtr findElement(AutomationClient* client, ElementTrace& trace, int stopLevel) {
    resetMatches(trace);
    if (!client)
        return nullptr;
    AutomationElementPtr root = client->root();
    if (!root)
        return nullptr;
    const String rootClass = client->className(root).value_or(String());

    const int last = static_cast<int>(trace.elements.size()) - 1;
    if (last < stopLevel)
        return nullptr;

    std::vector<AutomationElementPtr> candidates;
    AutomationElementPtr result;
    AutomationElementPtr lastFound;
    for (int level = last; level >= stopLevel; --level) {
        ElementDescriptor& descriptor = trace.elements[level];
        if (descriptor.className == rootClass) {
            candidates.push_back(root);
            descriptor.found = true;
            descriptor.matchNote.clear();
            continue;
        }
        std::vector<AutomationElementPtr> next;
        int bestMode = worseThanAnyMode;
        for (const AutomationElementPtr& candidate : candidates) {
            for (int mode = 0; mode < matchModeCount; ++mode) {
                std::optional<ElementCondition> condition = matchCondition(descriptor, mode);
                if (!condition)
                    continue;
                std::vector<AutomationElementPtr> children =
                    client->findChildren(candidate, *condition);
                if (children.empty())
                    continue;
                for (AutomationElementPtr& child : children) {
                    descriptor.found = true;
                    descriptor.matchNote = matchModeText(mode);
                    lastFound = child;
                    if (level == 0 && mode < bestMode) {
                        std::optional<ElementRect> rect = client->boundingRect(child);
                        if (rect && !rect->isEmpty()) {
                            result = child;
                            bestMode = mode;
                        }
                    }
                    next.push_back(std::move(child));
                }
                break;
            }
        }
        candidates = std::move(next);
    }

    if (result)
        return result;
    if (!lastFound || trace.elements.empty())
        return nullptr;

    ElementDescriptor& target = trace.elements.front();
    AutomationElementPtr start = parentElement(client, lastFound);
    target.matchNote = String(u"Started at -> ") + client->className(lastFound).value_or(String());
    return walkForTarget(*client, start, target);
}
