// How the service reads what the program sends: form bodies, percent-decoding
// and the text of values that went through the program's JSON and encodings.

#include "../StringPrinter.h"
#include "server/FormBody.h"
#include "base/Json.h"
#include "service/ServiceClient.h"
#include "base/Utf8.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The way from the program's text to the service's text: the program stores the
// value, writes, percent-encodes and sends the document as UTF-8; the service
// splits the form, decodes and parses.
String throughTheWire(const String& value) {
    ElementPtr doc = Json::makeRoot();
    Json::ElementMap::setString(doc, u"q", value);
    const std::string bytes = ServiceClient::bodyBytes(ServiceClient::documentBody(doc));
    std::map<std::string, std::string> fields;
    if (!parseFormBody(bytes, fields) || fields.size() != 1 || !fields.count("content"))
        return u"<form not read>";
    ElementPtr parsed = Json::parseText(Utf8::decode(fields["content"]));
    return Json::memberText(parsed, u"q");
}

} // namespace

TEST(FormBody, SplitsDecodesAndRefusesWhatTheProgramNeverSends) {
    std::map<std::string, std::string> fields;
    ASSERT_TRUE(parseFormBody("code=abc123&cid=12", fields));
    EXPECT_EQ(fields, (std::map<std::string, std::string>{{"code", "abc123"}, {"cid", "12"}}));
    // The plus sign stays; non-ASCII arrives as raw UTF-8; hex digits in either case.
    ASSERT_TRUE(parseFormBody("content=%7B%22a%22%3A%22b+c%20d%26e%3Df%25%22%7D", fields));
    EXPECT_EQ(fields["content"], "{\"a\":\"b+c d&e=f%\"}");
    ASSERT_TRUE(parseFormBody("a=\xC3\xA4%c3%a4%C3%A4&b=", fields));
    EXPECT_EQ(fields["a"], "\xC3\xA4\xC3\xA4\xC3\xA4");
    EXPECT_EQ(fields["b"], "");
    for (const char* body :
         {"", "code", "=x", "a=1&a=2", "a=%", "a=%4", "a=%zz", "a=1&", "&a=1", "a=%G0", "%=1"})
        EXPECT_FALSE(parseFormBody(body, fields)) << body;
}

// Random texts over the characters that need care in JSON, percent-encoding
// and UTF-8, surrogate pairs included (the awkward fixed texts go through
// the running service in TicketLife).
TEST(TextOnTheWire, EveryTextArrivesUnchanged) {
    const char16_t alphabet[] = {u'\\', u'\\', u'"', u'/', u'n',      u'r',      u't',   u'\n',
                                 u'\r', u'\t', u'a', u' ', u'&',      u'=',      u'+',   u'%',
                                 u'{',  u'}',  u':', u',', u'\u00e4', u'\u20ac', 0xD83D, 0xDE00,
                                 u'#',  u'?',  u'$', u';', u'@',      u'<',      u'>',   u'|',
                                 u'^',  u'~',  u'[', u'`', 1,         31};
    std::mt19937 random(20251206);
    for (int round = 0; round < 5000; ++round) {
        String text;
        for (int i = static_cast<int>(random() % 16); i > 0; --i) {
            const char16_t c = alphabet[random() % std::size(alphabet)];
            if (c == 0xD83D || c == 0xDE00)
                text.append(u"\U0001F600", 2);
            else
                text.append(c);
        }
        ASSERT_EQ(throughTheWire(text), text) << "round " << round;
    }
}
