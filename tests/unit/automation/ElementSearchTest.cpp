#include "automation/ElementDescription.h"
#include "automation/ElementSearch.h"
#include "automation/NameSimilarity.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

namespace {

const ElementRect noRect{};

// A name, or none for a null one.
std::optional<String> nameOf(const char16_t* name) {
    return name ? std::optional<String>(name) : std::nullopt;
}

// An element with a non-empty rectangle unless given one.
AutomationElementPtr add(MemoryAutomation& tree, const AutomationElementPtr& parent,
                         const char16_t* name, const char16_t* className, const char16_t* aid = u"",
                         ElementRect rect = {10, 10, 50, 30}) {
    return tree.add(parent, nameOf(name), className, aid, rect);
}

ElementDescriptor descriptor(const char16_t* name, const char16_t* className,
                             const char16_t* aid = u"") {
    return ElementDescriptor{nameOf(name), className, aid, {}, {}, {}};
}

// A trace of target, its ancestors and the desktop root, as recorded.
ElementTrace traceOf(std::vector<ElementDescriptor> levels) {
    levels.push_back(descriptor(u"Desktop 1", u"#32769"));
    return ElementTrace{std::move(levels), String()};
}

} // namespace

TEST(MatchCondition, ModesApplyOnlyToWhatTheDescriptorHas) {
    const ElementDescriptor full = descriptor(u"OK", u"Button", u"1");
    const std::vector<std::vector<ElementProperty>> expected = {
        {ElementProperty::AutomationId, ElementProperty::Name},
        {ElementProperty::AutomationId, ElementProperty::ClassName},
        {ElementProperty::ClassName, ElementProperty::Name},
        {ElementProperty::AutomationId},
        {ElementProperty::Name},
        {ElementProperty::ClassName}};
    for (int mode = 0; mode < matchModeCount; ++mode) {
        std::optional<ElementCondition> c = matchCondition(full, mode);
        ASSERT_TRUE(c) << mode;
        ASSERT_EQ(c->terms.size(), expected[mode].size()) << mode;
        for (size_t i = 0; i < c->terms.size(); ++i)
            EXPECT_EQ(c->terms[i].property, expected[mode][i]) << mode;
    }

    // Nothing to compare: no mode applies.
    const ElementDescriptor bare = descriptor(nullptr, u"");
    for (int mode = 0; mode < matchModeCount; ++mode)
        EXPECT_FALSE(matchCondition(bare, mode)) << mode;
    // A present, empty name applies to the name modes and compares with the empty text.
    const ElementDescriptor emptyName = descriptor(u"", u"");
    ASSERT_TRUE(matchCondition(emptyName, 4));
    EXPECT_TRUE(matchCondition(emptyName, 4)->terms[0].value.empty());
    EXPECT_FALSE(matchCondition(emptyName, 2)); // needs a class name too
    // An automation id without a name pairs only with the class.
    const ElementDescriptor noName = descriptor(nullptr, u"Button", u"1");
    EXPECT_FALSE(matchCondition(noName, 0));
    EXPECT_TRUE(matchCondition(noName, 1));
    EXPECT_FALSE(matchCondition(full, 6));
}

TEST(FindElement, FindsAControlAgainInARebuiltTreeAndNotesHowEachLevelMatched) {
    // Recorded on one desktop...
    MemoryAutomation before;
    auto window = add(before, before.root(), u"Task Manager", u"#32770");
    auto button = add(before, window, u"New Task...", u"Button", u"1008");
    ElementTrace trace = buildTrace(&before, button);

    // ...found on another: other elements, other order, other runtime ids.
    MemoryAutomation after;
    add(after, after.root(), u"Notepad", u"Notepad");
    auto again = add(after, after.root(), u"Task Manager", u"#32770");
    add(after, again, u"End Task", u"Button", u"1009");
    auto target = add(after, again, u"New Task...", u"Button", u"1008");
    trace.elements[0].found = true; // stale results of an earlier search go first
    trace.elements[0].matchNote = u"old";

    AutomationElementPtr found = findElement(&after, trace, 0);
    EXPECT_TRUE(after.sameElement(found, target));
    EXPECT_EQ(trace.elements[2].matchNote, String()); // the root by its class
    EXPECT_TRUE(trace.elements[2].found);
    EXPECT_EQ(trace.elements[1].matchNote, String(u"Class and Name")); // no AID
    EXPECT_EQ(trace.elements[0].matchNote, String(u"AID and Name"));
    EXPECT_TRUE(trace.elements[0].found);
    // One call per level for well-identified elements.
    EXPECT_EQ(after.findChildrenCalls, 2);

    // With the button gone, the loosest mode takes its neighbour of the same class
    // only as the one candidate there is...
    auto neighbour = after.firstChild(again);
    after.remove(target);
    EXPECT_TRUE(after.sameElement(findElement(&after, trace, 0), neighbour));
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Class (only candidate)"));
    // ...and of several it takes none, nor does the walk under the window.
    add(after, again, u"Group", u"Button");
    EXPECT_EQ(findElement(&after, trace, 0), nullptr);
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Class: 2 candidates, none taken"));
    EXPECT_FALSE(trace.elements[0].found);
    // The parent try frames the window instead.
    EXPECT_TRUE(after.sameElement(findElement(&after, trace, 1), again));
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Started at -> #32770 / Parent framed"));
    EXPECT_FALSE(trace.elements[0].found);
}

TEST(FindElement, LooseMatchesGiveWayToStrongerOnesAnywhereInTheWindow) {
    // Recorded: "Zwei" (id 102) among its siblings, directly in the window.
    MemoryAutomation tree;
    auto window = add(tree, tree.root(), u"Klickziel", u"Target");
    add(tree, window, u"Eins", u"Button", u"101");
    auto zwei = add(tree, window, u"Zwei", u"Button", u"102");
    add(tree, window, u"Drei", u"Button", u"103");
    ElementTrace trace = buildTrace(&tree, zwei);

    // Moved into a container: the siblings match the class only; the control is
    // found where it went by its id and name.
    tree.remove(zwei);
    auto box = add(tree, window, u"", u"Panel");
    auto moved = add(tree, box, u"Zwei", u"Button", u"102");
    EXPECT_TRUE(tree.sameElement(findElement(&tree, trace, 0), moved));
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Subtree: AID and Name"));
    EXPECT_TRUE(trace.elements[0].found);

    // Relabelled with another id: the one button whose name reads alike.
    tree.properties(moved)->name = String(u"&Zwei ...");
    tree.properties(moved)->automationId = u"120";
    EXPECT_TRUE(tree.sameElement(findElement(&tree, trace, 0), moved));
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Similar name"));
    // Two that read alike: neither.
    add(tree, window, u"zwei:", u"Button", u"121");
    EXPECT_EQ(findElement(&tree, trace, 0), nullptr);
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Similar name: 2 candidates, none taken"));

    // Two exact matches deeper: none is taken either.
    tree.properties(moved)->name = String(u"Zwei");
    tree.properties(moved)->automationId = u"102";
    add(tree, box, u"Zwei", u"Button", u"102");
    EXPECT_EQ(findElement(&tree, trace, 0), nullptr);
    EXPECT_EQ(trace.elements[0].matchNote,
              String(u"Subtree: AID and Name: 2 candidates, none taken"));

    // A container that vanishes at any point of the search is a miss, never a
    // sibling of the control.
    for (int call = 1; call < 80; ++call) {
        MemoryAutomation closing;
        auto frame = add(closing, closing.root(), u"Klickziel", u"Target");
        auto eins = add(closing, frame, u"Eins", u"Button", u"101");
        auto drei = add(closing, frame, u"Drei", u"Button", u"103");
        auto pane = add(closing, frame, u"", u"Panel");
        add(closing, pane, u"Zwei", u"Button", u"102");
        closing.removeAt(call, pane);
        AutomationElementPtr found = findElement(&closing, trace, 0);
        EXPECT_FALSE(closing.sameElement(found, eins) || closing.sameElement(found, drei)) << call;
    }

    // Hidden (a page not shown), the control is not replaced by its one visible
    // neighbour of the class; the walk returns it as before, rectangle or not.
    MemoryAutomation paged;
    auto page = add(paged, paged.root(), u"Klickziel", u"Target");
    auto eins = add(paged, page, u"Eins", u"Button", u"101");
    auto hidden = add(paged, page, u"Zwei", u"Button", u"102", noRect);
    EXPECT_TRUE(paged.sameElement(findElement(&paged, trace, 0), hidden));
    paged.properties(hidden)->automationId = u"120";
    paged.properties(hidden)->name = String(u"Zwei!");
    EXPECT_FALSE(paged.sameElement(findElement(&paged, trace, 0), eins));

    // A recorded empty name with the class is a class alone: of two nameless
    // fields neither is taken.
    MemoryAutomation form;
    auto dialog = add(form, form.root(), u"Form", u"#32770");
    auto field = add(form, dialog, u"", u"Edit");
    add(form, dialog, u"", u"Edit");
    ElementTrace unnamed = buildTrace(&form, field);
    EXPECT_EQ(findElement(&form, unnamed, 0), nullptr);
    EXPECT_EQ(unnamed.elements[0].matchNote, String(u"Class and Name: 2 candidates, none taken"));
}

TEST(NamesAlike, IgnoresCaseMnemonicsAndPunctuationAndAllowsAFewEdits) {
    EXPECT_TRUE(namesAlike(u"&Speichern...", u"speichern"));
    EXPECT_TRUE(namesAlike(u"Datei öffnen", u"DATEI ÖFFNEN:"));
    EXPECT_TRUE(namesAlike(u"Einstellungen", u"Einstelungen")); // one edit in 13
    EXPECT_FALSE(namesAlike(u"Zwei", u"Drei"));                 // two edits in 4
    EXPECT_TRUE(namesAlike(u"OK", u"Ok?!"));
    EXPECT_FALSE(namesAlike(u"", u""));
    EXPECT_FALSE(namesAlike(u"...", u"!"));
}

TEST(FindElement, EmptyAndShortTracesOnlyResetTheResults) {
    MemoryAutomation tree;
    ElementTrace empty;
    EXPECT_EQ(findElement(&tree, empty, 0), nullptr);

    ElementTrace rootOnly = traceOf({});
    rootOnly.elements[0].found = true;
    rootOnly.elements[0].matchNote = u"x";
    EXPECT_EQ(findElement(&tree, rootOnly, 1), nullptr); // fewer levels than the stop level
    EXPECT_FALSE(rootOnly.elements[0].found);
    EXPECT_TRUE(rootOnly.elements[0].matchNote.empty());
    EXPECT_EQ(tree.findChildrenCalls, 0);
    EXPECT_EQ(findElement(nullptr, rootOnly, 0), nullptr);
}

TEST(FindElement, StricterModesWinForACandidateAndAtTheTarget) {
    MemoryAutomation tree;
    auto window = add(tree, tree.root(), u"Dlg", u"#32770");
    // Two children share the automation id; only one also has the name.
    add(tree, window, u"Other", u"Button", u"7");
    auto aidAndName = add(tree, window, u"Go", u"Button", u"7");
    ElementTrace trace =
        traceOf({descriptor(u"Go", u"Button", u"7"), descriptor(u"Dlg", u"#32770")});
    EXPECT_TRUE(tree.sameElement(findElement(&tree, trace, 0), aidAndName));
    EXPECT_EQ(trace.elements[0].matchNote, String(u"AID and Name"));

    // Level 0 under two candidate windows: the first gives a visible Name match
    // (mode 4), the second a visible AID-and-name match (mode 0), which wins.
    MemoryAutomation twin;
    auto first = add(twin, twin.root(), u"Twin", u"Frame");
    auto second = add(twin, twin.root(), u"Twin", u"Frame");
    add(twin, first, u"Save", u"Btn");
    // Mode 0 too, found earlier, but an empty rectangle never wins.
    add(twin, second, u"Save", u"Btn", u"s", noRect);
    auto strict = add(twin, second, u"Save", u"X", u"s");
    ElementTrace saved =
        traceOf({descriptor(u"Save", u"Other", u"s"), descriptor(u"Twin", u"Frame")});
    EXPECT_TRUE(twin.sameElement(findElement(&twin, saved, 0), strict));

    // A later visible match in the same mode does not replace the first.
    MemoryAutomation same;
    auto a = add(same, same.root(), u"Twin", u"Frame");
    auto b = add(same, same.root(), u"Twin", u"Frame");
    auto firstSave = add(same, a, u"Save", u"Btn");
    add(same, b, u"Save", u"Btn");
    EXPECT_TRUE(same.sameElement(findElement(&same, saved, 0), firstSave));
    EXPECT_EQ(saved.elements[0].matchNote, String(u"Name")); // the last mode that matched
}

TEST(FindElement, FallbackWalksUnderTheParentOfTheDeepestMatch) {
    MemoryAutomation tree;
    auto window = add(tree, tree.root(), u"Editor", u"Frame");
    // The target's level matches only elements with empty rectangles...
    add(tree, window, u"Go", u"Button", u"", noRect);
    auto last = add(tree, window, u"Go", u"Button", u"", noRect);
    ElementTrace trace =
        traceOf({descriptor(u"Go", u"Button", u"9"), descriptor(u"Editor", u"Frame")});
    // ...so the walk starts under the window and returns the first child with the
    // same name and class, rectangle or not.
    AutomationElementPtr found = findElement(&tree, trace, 0);
    ASSERT_TRUE(found);
    EXPECT_FALSE(tree.sameElement(found, last));
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Started at -> ButtonTree Walker"));
    EXPECT_TRUE(trace.elements[0].found);

    // Stop level 1: the walk ends at the window and the target comes from the
    // fallback alone, by name and class name, wherever it lies below.
    MemoryAutomation deep;
    auto frame = add(deep, deep.root(), u"Editor", u"Frame");
    auto left = add(deep, frame, u"L", u"Pane");
    auto right = add(deep, frame, u"R", u"Pane");
    add(deep, left, u"Go", u"Button", u"other");
    auto inRight = add(deep, right, u"Go", u"Button", u"other");
    // Children of the start are compared first; then the last pushed is expanded.
    ElementTrace nested = traceOf({descriptor(u"Go", u"Button", u"9"), descriptor(u"L", u"Pane"),
                                   descriptor(u"Editor", u"Frame")});
    found = findElement(&deep, nested, 1);
    EXPECT_TRUE(deep.sameElement(found, inRight));
    EXPECT_EQ(nested.elements[0].matchNote, String(u"Started at -> PaneTree Walker"));

    // Nothing of that name below: the parent stands in, and the note says where
    // the walk began and that the parent was framed.
    nested.elements[0].name = String(u"Missing");
    EXPECT_TRUE(deep.sameElement(findElement(&deep, nested, 1), left));
    EXPECT_EQ(nested.elements[0].matchNote, String(u"Started at -> Pane / Parent framed"));
    EXPECT_FALSE(nested.elements[0].found);
    // Without a visible parent: none, and the note says where the walk began.
    deep.properties(left)->rect = {};
    EXPECT_EQ(findElement(&deep, nested, 1), nullptr);
    EXPECT_EQ(nested.elements[0].matchNote, String(u"Started at -> Pane"));
}

TEST(FindElement, ALevelWithNothingToCompareEndsTheWalkThere) {
    MemoryAutomation tree;
    auto window = add(tree, tree.root(), u"Editor", u"Frame");
    auto pane = add(tree, window, nullptr, u"");
    auto target = add(tree, pane, u"Go", u"Button");
    ElementTrace trace = traceOf(
        {descriptor(u"Go", u"Button"), descriptor(nullptr, u""), descriptor(u"Editor", u"Frame")});
    // The pane level produces no condition, so the target level has no candidates;
    // the fallback starts from the parent of the window (the root) and still finds it.
    AutomationElementPtr found = findElement(&tree, trace, 0);
    EXPECT_TRUE(tree.sameElement(found, target));
    EXPECT_FALSE(trace.elements[1].found);
    EXPECT_EQ(trace.elements[0].matchNote, String(u"Started at -> FrameTree Walker"));
}

TEST(FindElement, FailedQueriesAndVanishingElementsAreMisses) {
    MemoryAutomation tree;
    auto window = add(tree, tree.root(), u"Editor", u"Frame", u"w");
    auto target = add(tree, window, u"Go", u"Button", u"9");
    ElementTrace trace =
        traceOf({descriptor(u"Go", u"Button", u"9"), descriptor(u"Editor", u"Frame", u"w")});

    // A failed FindAll moves on to the next mode.
    tree.failAt(3); // root, className(root), then the first FindAll
    EXPECT_TRUE(tree.sameElement(findElement(&tree, trace, 0), target));
    EXPECT_EQ(trace.elements[1].matchNote, String(u"AID and Class"));

    // A failed root lookup ends the search.
    tree.failAt(1);
    EXPECT_EQ(findElement(&tree, trace, 0), nullptr);

    // The window closes between the levels: nothing found, no crash.
    tree.failingCall = 0;
    tree.removeAt(4, window);
    EXPECT_EQ(findElement(&tree, trace, 0), nullptr);
}
