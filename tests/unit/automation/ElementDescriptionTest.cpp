#include "automation/Capture.h"
#include "automation/ElementDescription.h"
#include "automation/Mnemonic.h"
#include "automation/TraceText.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

namespace {

// An editor window of process 10 with a pane and an OK button in it.
struct EditorTree {
    EditorTree() {
        tree.setProcessModule(10, {u"NotePad.EXE", u"C:\\Windows\\NotePad.EXE"});
        window = tree.add(
            tree.root(),
            {String(u"Unbenannt - Editor"), u"Notepad", u"", 10, 0x1234, {100, 100, 600, 400}, {}});
        pane = tree.add(window, {std::nullopt, u"Pane", u"", 10, 0, {}, {}});
        button = tree.add(pane, {String(u"OK"), u"Button", u"1", 10, 0, {120, 300, 200, 330}, {}});
    }
    MemoryAutomation tree;
    AutomationElementPtr window, pane, button;
};

} // namespace

TEST(BuildTrace, DescribesEveryLevelUpToTheRootAndOpensEachProcessOnce) {
    EditorTree t;
    ElementTrace trace = buildTrace(&t.tree, t.button);
    // The fields of each level are read back by the search and recording tests.
    ASSERT_EQ(trace.elements.size(), 4u);
    EXPECT_FALSE(trace.elements[1].name.has_value()); // absent, not empty
    EXPECT_EQ(trace.elements[3].className, String(u"#32769"));
    EXPECT_EQ(t.tree.processModuleCalls, 2); // process 10 (three levels) and the root's

    // A top-level window: itself and the root.
    EXPECT_EQ(buildTrace(&t.tree, t.window).elements.size(), 2u);
    // None, or no client, gives the empty trace.
    EXPECT_TRUE(buildTrace(&t.tree, nullptr).empty());
    EXPECT_TRUE(buildTrace(nullptr, t.button).empty());
}

TEST(BuildTrace, LevelsWithoutReadableProcessCarryTheModuleBelowThem) {
    EditorTree t;
    // The pane belongs to a process that cannot be opened; the root to none at all.
    t.tree.properties(t.pane)->processId = 99;
    auto named = t.tree.add(t.pane, String(), u"Static");
    ElementTrace trace = buildTrace(&t.tree, named);
    ASSERT_EQ(trace.elements.size(), 4u);
    ASSERT_TRUE(trace.elements[0].name.has_value()); // present and empty
    EXPECT_TRUE(trace.elements[0].name->empty());
    EXPECT_TRUE(trace.elements[0].moduleName.empty()); // process 0: nothing to carry yet
    for (int level : {1, 2, 3}) {
        // Pane (99) and root (0) cannot be read; the window's module carries upward.
        const String expected = level == 1 ? String() : String(u"notepad.exe");
        EXPECT_EQ(trace.elements[level].moduleName, expected) << level;
    }
}

TEST(BuildTrace, AnElementThatVanishesMidWalkEndsTheTraceEarly) {
    EditorTree t;
    // The window closes while the trace is read: after the button's own properties.
    t.tree.removeAt(6, t.window);
    ElementTrace trace = buildTrace(&t.tree, t.button);
    ASSERT_EQ(trace.elements.size(), 1u);
    EXPECT_EQ(*trace.elements[0].name, String(u"OK"));

    // A failed parent lookup also ends it; what was read stays.
    EditorTree u;
    u.tree.failAt(6); // root() of the first parent step
    EXPECT_EQ(buildTrace(&u.tree, u.button).elements.size(), 1u);
}

TEST(ElementOperations, WindowContainmentNeedsAWindow) {
    EditorTree t;
    EXPECT_TRUE(isElementInWindow(&t.tree, t.button, 0x1234));
    EXPECT_FALSE(isElementInWindow(&t.tree, t.button, 0x9999));
    EXPECT_FALSE(isElementInWindow(&t.tree, t.button, 0)); // no window is no match
    t.tree.remove(t.window);
    EXPECT_FALSE(isElementInWindow(&t.tree, t.button, 0x1234));
}

TEST(TraceText, LabelsFallBackToClassThenAutomationId) {
    ElementTrace onlyId;
    onlyId.elements = {{std::nullopt, u"", u"1001", {}, {}, {}},
                       {String(u"Parent"), {}, {}, {}, {}, {}}};
    EXPECT_EQ(traceLabel(onlyId), String(u"1001"));
    EXPECT_EQ(traceShortLabel(onlyId), String());
    onlyId.elements[0].className = u"Edit";
    EXPECT_EQ(traceLabel(onlyId), String(u"Edit"));
    EXPECT_EQ(traceLabel(ElementTrace()), String()); // an Enter key's trace
}

TEST(ActionKinds, LabelsOfTheSixKindsOnly) {
    EXPECT_EQ(actionLabel(Action::leftDoubleClick), String(u"Linker Maus-Doppelklick"));
    EXPECT_EQ(actionLabel(Action::middleClick), String(u"Mittlerer Mausklick"));
    for (ActionKind other : {1, 0, 8, -1})
        EXPECT_TRUE(actionLabel(other).empty()) << other;
}

TEST(Mnemonic, DropsTheMarkerAndKeepsDoubledAmpersands) {
    EXPECT_EQ(withoutMnemonic(u"&OK"), String(u"OK"));
    EXPECT_EQ(withoutMnemonic(u"Save && &Close"), String(u"Save & Close"));
    EXPECT_EQ(withoutMnemonic(u"&&&&"), String(u"&&"));
    EXPECT_EQ(withoutMnemonic(u"&&&x"), String(u"&x"));
    EXPECT_EQ(withoutMnemonic(u"End&"), String(u"End"));
    EXPECT_EQ(withoutMnemonic(u""), String());
}
