#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string units(const String& s) {
    return std::u16string(s.data(), s.length());
}

} // namespace

TEST(Utf8, EncodesOneToFourBytesAndDecodesBack) {
    EXPECT_EQ(Utf8::encode(u"A"), "A");
    EXPECT_EQ(Utf8::encode(u"\u00e4"), "\xC3\xA4");
    EXPECT_EQ(Utf8::encode(u"\u20ac"), "\xE2\x82\xAC");
    EXPECT_EQ(Utf8::encode(u"\u07ff\u0800\uffff"), "\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
    // A surrogate pair is one code point and one four-byte sequence.
    const String emoji(u"Hallo \U0001F600!");
    EXPECT_EQ(Utf8::encode(emoji), "Hallo \xF0\x9F\x98\x80!");
    EXPECT_EQ(units(Utf8::decode("Hallo \xF0\x9F\x98\x80!")), units(emoji));
    EXPECT_EQ(units(Utf8::decode(Utf8::encode(u"\U0010FFFF\U00010000"))), u"\U0010FFFF\U00010000");

    const String mixed(u"Grüße aus Köln – 30 € \U0001F44D\r\n\t\"x\"");
    EXPECT_EQ(units(Utf8::decode(Utf8::encode(mixed))), units(mixed));
    EXPECT_EQ(units(Utf8::decode("\xC3\xBC")), u"ü");
}

TEST(Utf8, LoneSurrogatesGoOutAsReplacementCharacter) {
    // Either half on its own, or in the wrong order, cannot be valid UTF-8.
    const std::pair<std::u16string, std::string> cases[] = {
        {u"a\xD83D!", "a\xEF\xBF\xBD!"},
        {u"\xDE00", "\xEF\xBF\xBD"},
        {u"\xDE00\xD83D", "\xEF\xBF\xBD\xEF\xBF\xBD"},
        {u"x\xD83D", "x\xEF\xBF\xBD"}};
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(Utf8::encode(String(text.data(), int(text.size()))), bytes);
}

TEST(Utf8, BrokenInputDecodesToReplacementWithoutReadingFurther) {
    // Each input is copied into an exactly sized heap buffer: a read past its end
    // would be seen by AddressSanitizer.
    struct Case {
        std::string bytes;
        std::u16string expected;
    } cases[] = {
        {"\xC3", u"\uFFFD"},         // truncated two-byte sequence
        {"a\xE2\x82", u"a\uFFFD"},   // truncated three-byte sequence
        {"\xF0\x9F\x98", u"\uFFFD"}, // truncated four-byte sequence
        {"\xE2\x82"
         "A",
         u"\uFFFD"
         "A"},                                             // cut short by a plain character
        {"\x80\xBF", u"\uFFFD\uFFFD"},                     // continuation bytes on their own
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong form of '/'
        {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},           // overlong three-byte form
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
        {"\xFF"
         "x\xFE",
         u"\uFFFD"
         "x\uFFFD"},
        {"\xC3\xA4\xC3", u"ä\uFFFD"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<char[]> exact(new char[c.bytes.size()]);
        std::copy(c.bytes.begin(), c.bytes.end(), exact.get());
        EXPECT_EQ(units(Utf8::decode(exact.get(), c.bytes.size())), c.expected)
            << "input of " << c.bytes.size() << " bytes";
    }
    EXPECT_TRUE(Utf8::decode(nullptr, 0).empty());
}
