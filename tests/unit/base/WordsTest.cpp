#include "base/Words.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(Words, SplitAtSpacesOnlyAndDropEmptyPieces) {
    std::vector<String> words = splitWords(u"  foo  bar\tbaz ");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0], String(u"foo"));
    EXPECT_EQ(words[1], String(u"bar\tbaz"));
    EXPECT_TRUE(splitWords(u"").empty());
    EXPECT_TRUE(splitWords(u"   ").empty());
    ASSERT_EQ(splitWords(u"x").size(), 1u);
}

TEST(Words, EveryWordMustOccurAndNoWordsMatchAll) {
    EXPECT_TRUE(containsAllWords(u"windows 10 pro", splitWords(u"pro 10")));
    EXPECT_FALSE(containsAllWords(u"windows 10 pro", splitWords(u"pro 11")));
    // A word longer than the text does not occur.
    EXPECT_FALSE(containsAllWords(u"ab", splitWords(u"abc")));
    EXPECT_TRUE(containsAllWords(u"", {}));
    EXPECT_FALSE(containsAllWords(u"", splitWords(u"a")));
}
