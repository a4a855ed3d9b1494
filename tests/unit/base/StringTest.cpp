#include "base/String.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <climits>

TEST(String, BorrowedTextIsCopiedOnWriteAndLatin1WidensByteByByte) {
    char16_t buffer[] = u"fremd";
    String b = String::borrow(buffer, 5);
    EXPECT_EQ(b.data(), buffer);
    EXPECT_FALSE(String(b).isBorrowed());
    b.append(u'!');
    EXPECT_EQ(b, String(u"fremd!"));
    EXPECT_EQ(buffer[5], 0); // the foreign buffer was not written
    String self(u"xy");
    self.append(self.data() + 1, 1);
    EXPECT_EQ(self, String(u"xyy"));
    // No code-page conversion: 0xE4 stays U+00E4, UTF-8 bytes stay two units.
    EXPECT_EQ(String::fromLatin1("a\xE4\xC3\xA4"), String(u"a\u00e4\u00c3\u00a4"));
}

TEST(String, SearchesAndSubstringsClampInsteadOfReadingOutside) {
    String t(u"abcabc");
    EXPECT_EQ(t.find(String(u"bc")), 1);
    EXPECT_EQ(t.find(String(u"bc"), 2), 4);
    EXPECT_EQ(t.find(String(u"abc"), 3), 3);
    for (int start : {-1, 5, 6, 60})
        EXPECT_EQ(t.find(String(u"bc"), start), -1) << start;
    EXPECT_EQ(t.find(String(u"")), -1);
    EXPECT_EQ(String().find(String(u"a")), -1);
    EXPECT_EQ(t.find(String(u"abcabcd")), -1);
    EXPECT_EQ(t.substr(4, 100), String(u"bc"));
    EXPECT_TRUE(t.substr(6, 1).empty());
    EXPECT_EQ(t.substr(-2, 1), String(u"a"));

    // replaceAll resumes after each insertion, so it ends.
    String u(u"a\\b\\\\c");
    EXPECT_EQ(u.replaceAll(String(u"\\"), String(u"\\\\")), 3);
    EXPECT_EQ(u, String(u"a\\\\b\\\\\\\\c"));
    String v(u"aaaa");
    EXPECT_EQ(v.replaceAll(String(u"aa"), String(u"b")), 2);
    EXPECT_EQ(v, String(u"bb"));
    EXPECT_EQ(v.replaceAll(String(u""), String(u"q")), 0);

    EXPECT_EQ(String(u"ÄÖÜ Windows [@Z]").lower(), String(u"ÄÖÜ windows [@z]"));
}

TEST(String, ToIntReadsLikeWtoiAndSaturates) {
    const std::pair<const char16_t*, int> cases[] = {{u"  \t42abc", 42},
                                                     {u"-17", -17},
                                                     {u"+8", 8},
                                                     {u"abc", 0},
                                                     {u"- 5", 0},
                                                     {u"", 0},
                                                     {u"99999999999", INT_MAX},
                                                     {u"-99999999999", INT_MIN}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(String(text).toInt(), value) << testing::PrintToString(String(text));
}

TEST(String, FormatsTheConversionsTheProgramUsesAtFullLength) {
    EXPECT_EQ(String::format(u"%s - v%s", String(u"Editor"), String(u"2.1")),
              String(u"Editor - v2.1"));
    EXPECT_EQ(String::format(u"%02i.%04i", 7, 2023), String(u"07.2023"));
    EXPECT_EQ(String::format(u"%04x%04x|%x", 0x407, 0x4b0, 0xffffffffu),
              String(u"040704b0|ffffffff"));
    EXPECT_EQ(String::format(u"%i|%d|%c", INT_MIN, 12, u'ä'), String(u"-2147483648|12|ä"));
    EXPECT_EQ(String::format(u"100%% %s", u"sicher"), String(u"100% sicher"));
    // Missing arguments leave the conversion as written instead of reading garbage.
    EXPECT_EQ(String::format(u"a%sb%i"), String(u"a%sb%i"));
    String longText;
    for (int i = 0; i < 20000; ++i)
        longText.append(static_cast<char16_t>(u'a' + i % 26));
    EXPECT_EQ(String::format(u"content=%s", longText), String(u"content=") + longText);
}

TEST(String, OrdersByUnsignedCodeUnitsWithPrefixFirst) {
    EXPECT_TRUE(String(u"10") < String(u"9"));
    EXPECT_TRUE(String(u"a") < String(u"ab"));
    EXPECT_FALSE(String(u"ab") < String(u"a"));
    EXPECT_TRUE(String(u"Z") < String(u"a"));
    EXPECT_TRUE(String(u"z") < String(u"\uFFFF"));
    EXPECT_FALSE(String(u"") < String(u""));
}
