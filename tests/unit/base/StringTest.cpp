#include "base/String.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

String s(const char16_t* t) {
    return String(t);
}

} // namespace

TEST(String, AssignsFromUtf16AndWidensLatin1ByteByByte) {
    String a(u"Grüße", 3);
    EXPECT_EQ(a, s(u"Grü"));
    EXPECT_EQ(a.data()[3], 0);
    // No code-page conversion: 0xE4 stays U+00E4, UTF-8 bytes stay two units.
    String b = String::fromLatin1("a\xE4\xC3\xA4");
    ASSERT_EQ(b.length(), 4);
    EXPECT_EQ(b[1], 0xE4);
    EXPECT_EQ(b[2], 0xC3);
    EXPECT_EQ(b[3], 0xA4);
    String empty(nullptr);
    EXPECT_TRUE(empty.empty());
    EXPECT_EQ(empty.data()[0], 0);
}

TEST(String, BorrowedTextIsCopiedOnWriteAndNotFreed) {
    char16_t buffer[] = u"fremd";
    String b = String::borrow(buffer, 5);
    EXPECT_TRUE(b.isBorrowed());
    EXPECT_EQ(b.data(), buffer);
    String copy = b;
    EXPECT_FALSE(copy.isBorrowed());
    b.append(u'!');
    EXPECT_FALSE(b.isBorrowed());
    EXPECT_EQ(b, s(u"fremd!"));
    EXPECT_EQ(buffer[5], 0); // the foreign buffer was not written
}

TEST(String, AppendAndSubstringClamp) {
    String a(u"ab");
    a.append(a).append(u'c');
    EXPECT_EQ(a, s(u"ababc"));
    EXPECT_EQ(a.substr(1, 2), s(u"ba"));
    EXPECT_EQ(a.substr(3), s(u"bc"));
    EXPECT_EQ(a.substr(4, 100), s(u"c"));
    EXPECT_TRUE(a.substr(5, 1).empty());
    EXPECT_EQ(a.substr(-2, 1), s(u"a"));
    String self(u"xy");
    self.append(self.data() + 1, 1);
    EXPECT_EQ(self, s(u"xyy"));
}

TEST(String, FindReturnsMinusOneForEveryDegenerateCase) {
    String t(u"abcabc");
    EXPECT_EQ(t.find(s(u"bc")), 1);
    EXPECT_EQ(t.find(s(u"bc"), 2), 4);
    EXPECT_EQ(t.find(s(u"bc"), 5), -1);
    EXPECT_EQ(t.find(s(u"abc"), 3), 3);
    EXPECT_EQ(t.find(s(u"")), -1);         // empty pattern
    EXPECT_EQ(String().find(s(u"a")), -1); // empty text
    EXPECT_EQ(t.find(s(u"abcabcd")), -1);  // longer than text
    EXPECT_EQ(t.find(s(u"a"), 6), -1);     // start at the end
    EXPECT_EQ(t.find(s(u"a"), 60), -1);    // start past the end
    EXPECT_EQ(t.find(s(u"a"), -1), -1);
}

TEST(String, ReplaceAllResumesAfterEachInsertion) {
    String t(u"a\\b\\\\c");
    EXPECT_EQ(t.replaceAll(s(u"\\"), s(u"\\\\")), 3);
    EXPECT_EQ(t, s(u"a\\\\b\\\\\\\\c"));
    String u(u"aaa");
    EXPECT_EQ(u.replaceAll(s(u"a"), s(u"aa")), 3);
    EXPECT_EQ(u, s(u"aaaaaa"));
    String v(u"aaaa");
    EXPECT_EQ(v.replaceAll(s(u"aa"), s(u"b")), 2);
    EXPECT_EQ(v, s(u"bb"));
    String w(u"xyz");
    EXPECT_EQ(w.replaceAll(s(u""), s(u"q")), 0);
    EXPECT_EQ(w.replaceAll(s(u"z"), s(u"")), 1);
    EXPECT_EQ(w, s(u"xy"));
}

TEST(String, LowerChangesOnlyAsciiCapitals) {
    EXPECT_EQ(s(u"ÄÖÜ Windows 10 PRO").lower(), s(u"ÄÖÜ windows 10 pro"));
    EXPECT_EQ(s(u"[@Z]").lower(), s(u"[@z]"));
}

TEST(String, ToIntReadsLikeWtoi) {
    EXPECT_EQ(s(u"  \t42abc").toInt(), 42);
    EXPECT_EQ(s(u"-17").toInt(), -17);
    EXPECT_EQ(s(u"+8").toInt(), 8);
    EXPECT_EQ(s(u"07").toInt(), 7);
    EXPECT_EQ(s(u"abc").toInt(), 0);
    EXPECT_EQ(s(u"- 5").toInt(), 0);
    EXPECT_EQ(s(u"").toInt(), 0);
    EXPECT_EQ(s(u"99999999999").toInt(), INT_MAX);
    EXPECT_EQ(s(u"-99999999999").toInt(), INT_MIN);
}

TEST(String, FormatsTheConversionsTheProgramUses) {
    EXPECT_EQ(String::format(u"%s - v%s", s(u"Editor"), s(u"2.1")), s(u"Editor - v2.1"));
    EXPECT_EQ(String::format(u"%02i.%02i.%04i", 7, 4, 2023), s(u"07.04.2023"));
    EXPECT_EQ(String::format(u"%04x%04x", 0x407, 0x4b0), s(u"040704b0"));
    EXPECT_EQ(String::format(u"%i|%d|%c", -5, 12, u'ä'), s(u"-5|12|ä"));
    EXPECT_EQ(String::format(u"100%% %s", u"sicher"), s(u"100% sicher"));
    EXPECT_EQ(String::format(u"%x", 0xffffffffu), s(u"ffffffff"));
    EXPECT_EQ(String::format(u"%i", INT_MIN), s(u"-2147483648"));
    // Missing arguments leave the conversion as written instead of reading garbage.
    EXPECT_EQ(String::format(u"a%sb%i"), s(u"a%sb%i"));
}

TEST(String, FormatKeepsTheFullLength) {
    String longText;
    for (int i = 0; i < 20000; ++i)
        longText.append(static_cast<char16_t>(u'a' + i % 26));
    String out = String::format(u"content=%s", longText);
    EXPECT_EQ(out.length(), 20008);
    EXPECT_EQ(out.substr(8), longText);
}

TEST(String, OrdersByUnsignedCodeUnitsWithPrefixFirst) {
    EXPECT_TRUE(s(u"10") < s(u"9"));
    EXPECT_TRUE(s(u"a") < s(u"ab"));
    EXPECT_FALSE(s(u"ab") < s(u"a"));
    EXPECT_TRUE(s(u"Z") < s(u"a"));
    EXPECT_TRUE(s(u"z") < s(u"\uFFFF"));
    EXPECT_FALSE(s(u"") < s(u""));
}
