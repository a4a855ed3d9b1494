#include "controls/AutoComplete.h"
#include "controls/TextEditing.h"
#include "tests/StringPrinter.h"
#include "tests/support/FakeComboBox.h"
#include "tests/support/WordSource.h"

#include <gtest/gtest.h>

namespace {

struct AutoCompleteTest : testing::Test {
    FakeComboBox box;
    WordSource source;
    TextChangeListener listener;
    AutoCompleteTest() {
        source.attach(&box);
        source.setListener(&listener);
        box.owner = &source;
    }
    // The field holds `text` with the caret at its end when `c` is typed.
    void typeAfter(const char16_t* text, char16_t c) {
        box.content = text;
        box.selStart = box.selEnd = box.content.length();
        source.onChar(c);
    }
    // The calls on the box that typing `c` made.
    std::vector<std::string> callsFor(char16_t c) {
        box.log.clear();
        source.onChar(c);
        return box.log;
    }
};

} // namespace

TEST(TextEditing, BackspaceAndInsertClampTheSelection) {
    struct Case {
        const char16_t* text;
        int start, end;
        const char16_t* inserted; // null: Backspace
        const char16_t* after;
        int caret;
    };
    const Case cases[] = {
        {u"abcdef", 1, 4, nullptr, u"aef", 1}, {u"abcdef", 4, 1, nullptr, u"aef", 1},
        {u"abc", 2, 2, nullptr, u"ac", 1},     {u"abc", 0, 0, nullptr, u"abc", -1},
        {u"abcdef", 1, 4, u"X", u"aXef", 2},   {u"ab", 2, 2, u"cde", u"abcde", 5},
        {u"ab", 9, 12, u"c", u"abc", 3}, // positions past the text
    };
    for (const Case& c : cases) {
        const TextEdit e = c.inserted ? insertText(c.text, c.start, c.end, c.inserted)
                                      : deleteBackward(c.text, c.start, c.end);
        EXPECT_EQ(e.text, String(c.after)) << &c - cases;
        EXPECT_EQ(e.caret, c.caret) << &c - cases;
    }
}

TEST_F(AutoCompleteTest, TypingReplacesTheSelectionAndListsMatches) {
    source.words = {u"alpha", u"alpine", u"beta"};
    box.content = u"xyzal";
    box.selStart = 0, box.selEnd = 3;

    source.onChar(u'p');
    EXPECT_EQ(box.content, String(u"pal"));
    EXPECT_EQ(source.searched.back(), String(u"pal"));
    EXPECT_TRUE(box.items.empty());
    EXPECT_FALSE(box.dropped); // no match: closed
    EXPECT_FALSE(box.held);
    EXPECT_EQ(box.selStart, 1);
    EXPECT_EQ(box.selEnd, 1);
    EXPECT_EQ(listener.calls, 1);

    box.log.clear();
    typeAfter(u"al", u'p');
    EXPECT_EQ(box.content, String(u"alp"));
    ASSERT_EQ(box.items.size(), 2u);
    EXPECT_EQ(box.items[0].first, String(u"alpha"));
    EXPECT_EQ(box.items[1].second, &source.results[1]);
    EXPECT_TRUE(box.dropped);
    EXPECT_EQ(box.minVisible, 2);
    EXPECT_EQ(box.busyWhileAdding, (std::vector<bool>{true, true}));
    EXPECT_FALSE(source.busy());
    // Caret set before the list is rebuilt and again after it; the list is drawn
    // once, when it is complete.
    EXPECT_EQ(box.log, (std::vector<std::string>{"hold", "reset", "setText", "sel 3,3", "draw",
                                                 "open", "sel 3,3"}));
    EXPECT_FALSE(box.drawnWhileAdding);
    EXPECT_EQ(listener.calls, 2);
}

TEST_F(AutoCompleteTest, BackspaceControlKeysAndPaste) {
    source.words = {u"alpha"};

    // At the start of the text nothing is removed, the list is still rebuilt.
    box.content = u"alp";
    box.selStart = box.selEnd = 0;
    source.onChar(AutoComplete::backspaceChar);
    EXPECT_EQ(box.content, String(u"alp"));
    EXPECT_EQ(box.items.size(), 1u);
    EXPECT_EQ(box.selStart, -1);
    EXPECT_EQ(box.log,
              (std::vector<std::string>{"hold", "reset", "setText", "draw", "open", "sel -1,-1"}));

    typeAfter(u"alp", AutoComplete::backspaceChar);
    EXPECT_EQ(box.content, String(u"al"));
    EXPECT_EQ(box.selStart, 2);

    // Copy, cut and other control characters change nothing; Tab is one of them.
    for (char16_t c : {AutoComplete::copyChar, AutoComplete::cutChar, char16_t(9), char16_t(1),
                       char16_t(0x7F), char16_t(0x85)})
        EXPECT_TRUE(callsFor(c).empty()) << int(c);
    EXPECT_EQ(box.content, String(u"al"));
    EXPECT_EQ(callsFor(AutoComplete::enterChar), (std::vector<std::string>{"close", "sel 0,-1"}));
    EXPECT_EQ(callsFor(AutoComplete::escapeChar), (std::vector<std::string>{"close"}));
    box.dropDownStyle = false;
    EXPECT_TRUE(callsFor(AutoComplete::escapeChar).empty());

    // Paste inserts the clipboard at the caret; an empty clipboard removes the selection.
    box.content = u"a-z";
    box.selStart = 1, box.selEnd = 2;
    box.clipboard = u"lph";
    source.onChar(AutoComplete::pasteChar);
    EXPECT_EQ(box.content, String(u"alphz"));
    EXPECT_EQ(box.selStart, 4);
    box.clipboard = String();
    box.selStart = 4, box.selEnd = 5;
    source.onChar(AutoComplete::pasteChar);
    EXPECT_EQ(box.content, String(u"alph"));

    // Every character, ignored ones included, told the listener once.
    EXPECT_EQ(listener.calls, 13);
}

TEST_F(AutoCompleteTest, FifteenWhileTypingAllForEmptyText) {
    for (int i = 0; i < 40; ++i)
        source.words.push_back(String::format(u"item %02i", i));
    typeAfter(u"ite", u'm');
    ASSERT_EQ(box.items.size(), 15u);
    EXPECT_EQ(box.items[14].first, String(u"item 14"));
    EXPECT_EQ(box.minVisible, 15);

    typeAfter(u"i", AutoComplete::backspaceChar);
    EXPECT_EQ(box.items.size(), 40u);
    EXPECT_EQ(box.minVisible, 15);

    // fill() adds all matches of the empty text without emptying or opening.
    box.items.clear();
    box.log.clear();
    box.dropped = false;
    source.fill();
    EXPECT_EQ(box.items.size(), 40u);
    EXPECT_EQ(box.log, (std::vector<std::string>{"hold", "draw"}));
    EXPECT_FALSE(box.drawnWhileAdding);
    source.clear();
    EXPECT_TRUE(box.items.empty());
}
