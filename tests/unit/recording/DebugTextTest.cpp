#include "automation/ElementSearch.h"
#include "recording/DebugText.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

TEST(DebugText, SearchOutcomeOfEachLevelThenTheFoundRectangle) {
    MemoryAutomation tree;
    EXPECT_EQ(debugText(&tree, nullptr, nullptr), String());

    // A window matched by automation id and name whose button is gone.
    tree.add(tree.root(), String(u"Editor"), u"Frame", u"W1", {0, 0, 400, 300});
    const ElementDescriptor target{String(u"OK"), u"Button", {}, {}, {}, {}};
    ElementTrace trace{{target,
                        {String(u"Editor"), u"Frame", u"W1", {}, {}, {}},
                        {String(u"Desktop 1"), u"#32769", {}, {}, {}, {}}},
                       {}};
    EXPECT_EQ(findElement(&tree, trace, 0), nullptr);
    EXPECT_EQ(debugText(&tree, &trace, nullptr),
              String(u"Name(OK) Class(Button)  -> \u274C (Started at -> Frame)\n"
                     u"Name(Editor) Class(Frame) AID(W1)  -> \u2713 (AID and Name)\n"
                     u"Name(Desktop 1) Class(#32769)  -> \u2713\n"));

    // The element found: its rectangle as left, right, top, bottom.
    auto found = tree.add(tree.root(), String(u"OK"), u"Button", u"", {10, 20, 110, 60});
    EXPECT_EQ(debugText(&tree, nullptr, found), String(u"rect: 10 110 20 60"));
    ElementTrace one{{target}, {}};
    EXPECT_EQ(debugText(&tree, &one, found),
              String(u"Name(OK) Class(Button)  -> \u274C\nrect: 10 110 20 60"));
    // An element that is gone shows zeros.
    tree.remove(found);
    EXPECT_EQ(debugText(&tree, nullptr, found), String(u"rect: 0 0 0 0"));
}
