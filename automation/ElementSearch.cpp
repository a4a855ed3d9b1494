#include "automation/ElementSearch.h"

#include "automation/ElementDescription.h"
#include "automation/NameSimilarity.h"

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

// Depth-first under `start`: `visit` sees each child as it is pushed (the
// element pushed last is expanded first) and ends the walk by returning false.
template <class Visit>
void walkDescendants(AutomationClient& client, const AutomationElementPtr& start, Visit visit) {
    std::vector<AutomationElementPtr> stack;
    if (start)
        stack.push_back(start);
    while (!stack.empty()) {
        AutomationElementPtr parent = std::move(stack.back());
        stack.pop_back();
        for (AutomationElementPtr child = client.firstChild(parent); child;
             child = client.nextSibling(child)) {
            stack.push_back(child);
            if (!visit(child))
                return;
        }
    }
}

// Depth-first under `start` for the target's name and class name.
AutomationElementPtr walkForTarget(AutomationClient& client, const AutomationElementPtr& start,
                                   ElementDescriptor& target) {
    const String targetName = target.name.value_or(String());
    AutomationElementPtr found;
    walkDescendants(client, start, [&](const AutomationElementPtr& child) {
        if (client.name(child).value_or(String()) == targetName &&
            client.className(child).value_or(String()) == target.className) {
            target.found = true;
            target.matchNote += u"Tree Walker";
            found = child;
            return false;
        }
        return true;
    });
    return found;
}

// A mode that, for this descriptor, compares nothing but the class (or nothing at
// all): any control of that class satisfies it, so it identifies only a lone one.
bool isWeakMode(const ElementDescriptor& d, int mode) {
    const bool noName = d.name.value_or(String()).empty();
    return mode == static_cast<int>(MatchMode::Class) ||
           (noName && (mode == static_cast<int>(MatchMode::Name) ||
                       mode == static_cast<int>(MatchMode::ClassAndName)));
}

bool isVisible(AutomationClient& client, const AutomationElementPtr& element) {
    std::optional<ElementRect> rect = client.boundingRect(element);
    return rect && !rect->isEmpty();
}

// What a window's subtree holds of the target, visible elements only: those that
// satisfy the automation id with the name, the automation id with the class, and
// the name with the class (each element under the strictest of the three), and
// those of the recorded class whose names read like the recorded one.
struct SubtreeMatches {
    static constexpr int pairModes = 3; // AidAndName, AidAndClass, ClassAndName
    std::vector<AutomationElementPtr> byMode[pairModes];
    std::vector<AutomationElementPtr> alike;
    // A stricter or alike match that is not visible now (scrolled away, in a
    // hidden page): the control is there, so no loose match stands in for it.
    bool hiddenMatch = false;
};

void searchSubtree(AutomationClient& client, const AutomationElementPtr& top,
                   const ElementDescriptor& target, SubtreeMatches& matches) {
    const bool hasAid = !target.automationId.empty();
    const bool hasClass = !target.className.empty();
    const String name = target.name.value_or(String());
    const bool hasName = !name.empty(); // an empty name with the class is a class alone
    walkDescendants(client, top, [&](const AutomationElementPtr& child) {
        const bool sameClass =
            hasClass && client.className(child).value_or(String()) == target.className;
        const bool sameAid =
            hasAid && client.automationId(child).value_or(String()) == target.automationId;
        if (!sameClass && !sameAid)
            return true;
        const String childName = client.name(child).value_or(String());
        const bool sameName = target.name && childName == name;
        int mode = -1;
        if (sameAid && sameName)
            mode = static_cast<int>(MatchMode::AidAndName);
        else if (sameAid && sameClass)
            mode = static_cast<int>(MatchMode::AidAndClass);
        else if (sameClass && sameName && hasName)
            mode = static_cast<int>(MatchMode::ClassAndName);
        const bool alike = mode < 0 && sameClass && hasName && namesAlike(childName, name);
        if (mode < 0 && !alike)
            return true;
        if (!isVisible(client, child)) {
            matches.hiddenMatch = true;
            return true;
        }
        if (mode >= 0)
            matches.byMode[mode].push_back(child);
        else
            matches.alike.push_back(child);
        return true;
    });
}

// How the target's level ended when no strict mode gave a visible element.
struct TargetDecision {
    AutomationElementPtr element;
    bool ambiguous = false; // several equal candidates: none is taken, nothing looks further
};

// Several candidates that the recording cannot tell apart: none is taken.
TargetDecision noneTaken(ElementDescriptor& target, const String& rule, size_t count) {
    target.found = false;
    target.matchNote =
        String::format(u"%s: %i candidates, none taken", rule, static_cast<int>(count));
    return TargetDecision{nullptr, true};
}

TargetDecision taken(ElementDescriptor& target, const String& rule,
                     const AutomationElementPtr& element) {
    target.found = true;
    target.matchNote = rule;
    return TargetDecision{element, false};
}

// The target's level gave only loose matches (`weak`, visible, found by `weakMode`)
// or none. A stronger match anywhere in the found windows goes first, so that a
// control moved into a container is found where it went; then a control of the
// recorded class whose name reads alike; a loose match only when it is the only one.
// A stricter match that is hidden now (`hiddenMatch`) keeps the others out.
TargetDecision decideTarget(AutomationClient& client, ElementDescriptor& target,
                            const std::vector<AutomationElementPtr>& windows,
                            const std::vector<AutomationElementPtr>& weak, int weakMode,
                            bool hiddenMatch) {
    SubtreeMatches deep;
    deep.hiddenMatch = hiddenMatch;
    for (const AutomationElementPtr& window : windows)
        searchSubtree(client, window, target, deep);
    if (windows.empty() && weakMode == static_cast<int>(MatchMode::Class)) {
        // The target is a window itself: its loose matches are all there is to compare.
        for (const AutomationElementPtr& element : weak) {
            if (namesAlike(client.name(element).value_or(String()), target.name.value_or(String())))
                deep.alike.push_back(element);
        }
    }
    for (int mode = 0; mode < SubtreeMatches::pairModes; ++mode) {
        const std::vector<AutomationElementPtr>& found = deep.byMode[mode];
        const String rule = String(u"Subtree: ") + matchModeText(mode);
        if (found.size() == 1)
            return taken(target, rule, found.front());
        if (found.size() > 1)
            return noneTaken(target, rule, found.size());
    }
    if (deep.hiddenMatch)
        return TargetDecision{};
    if (deep.alike.size() == 1)
        return taken(target, u"Similar name", deep.alike.front());
    if (deep.alike.size() > 1)
        return noneTaken(target, u"Similar name", deep.alike.size());
    if (weak.size() == 1)
        return taken(target, matchModeText(weakMode) + u" (only candidate)", weak.front());
    if (weak.size() > 1)
        return noneTaken(target, matchModeText(weakMode), weak.size());
    return TargetDecision{};
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
    // The elements matched just below the root: the windows a target may have
    // moved around in.
    std::vector<AutomationElementPtr> windows;
    // At the target's level, visible matches of a loose mode, kept apart.
    std::vector<AutomationElementPtr> weak;
    int weakMode = worseThanAnyMode;
    // At stop level 1, the visible parent by the same rule as the target's.
    AutomationElementPtr parent;
    bool rootOnly = false;      // the current candidates are the desktop root alone
    bool reachedTarget = false; // the target's level had candidates to search under
    bool hiddenMatch = false;   // a strict mode matched there, but nothing visible
    for (int level = last; level >= stopLevel; --level) {
        ElementDescriptor& descriptor = trace.elements[level];
        if (descriptor.className == rootClass) {
            candidates.push_back(root);
            rootOnly = candidates.size() == 1;
            descriptor.found = true;
            descriptor.matchNote.clear();
            continue;
        }
        const bool belowRoot = rootOnly;
        rootOnly = false;
        if (level == 0)
            reachedTarget = !candidates.empty();
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
                    if (level == stopLevel && mode < bestMode) {
                        const bool loose = level == 0 && isWeakMode(descriptor, mode);
                        if (loose && mode <= weakMode && isVisible(*client, child)) {
                            if (mode < weakMode)
                                weak.clear();
                            weak.push_back(child);
                            weakMode = mode;
                        } else if (!loose) {
                            if (isVisible(*client, child)) {
                                (level == 0 ? result : parent) = child;
                                bestMode = mode;
                            } else {
                                hiddenMatch = true;
                            }
                        }
                    }
                    next.push_back(std::move(child));
                }
                break;
            }
        }
        if (belowRoot && level > 0)
            windows = next;
        candidates = std::move(next);
    }

    if (result)
        return result;
    if (!lastFound || trace.elements.empty())
        return nullptr;

    ElementDescriptor& target = trace.elements.front();
    if (reachedTarget) {
        const TargetDecision decision =
            decideTarget(*client, target, windows, weak, weakMode, hiddenMatch);
        if (decision.element || decision.ambiguous)
            return decision.element;
    }
    AutomationElementPtr start = parentElement(client, lastFound);
    target.matchNote = String(u"Started at -> ") + client->className(lastFound).value_or(String());
    // Without a name the walk would compare the class alone and take any control of it.
    AutomationElementPtr walked;
    if (!target.name.value_or(String()).empty())
        walked = walkForTarget(*client, start, target);
    if (walked || !parent)
        return walked;
    // Not surely found: the parent is framed, and the step is done anywhere in it.
    target.matchNote += u" / Parent framed";
    return parent;
}
