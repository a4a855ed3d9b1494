#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(ServiceClient, PercentEncodesExactlyTheTwentySixCharacters) {
    const String all(u"$&+,/:;=?@ \"<#%{}|\\^~[]`\n>");
    ASSERT_EQ(all.length(), 26);
    EXPECT_EQ(
        ServiceClient::percentEncode(all),
        String(u"%24%26%2B%2C%2F%3A%3B%3D%3F%40%20%22%3C%23%25%7B%7D%7C%5C%5E%7E%5B%5D%60%0A%3E"));
    // Everything else passes unchanged: letters, digits, marks, CR, tab,
    // non-ASCII.
    const String plain(u"azAZ09-_.!*'()\r\täöüß€\U0001F600");
    EXPECT_EQ(ServiceClient::percentEncode(plain), plain);
    EXPECT_EQ(ServiceClient::percentEncode(u"100% a=b&c"), String(u"100%25%20a%3Db%26c"));
    EXPECT_TRUE(ServiceClient::percentEncode(String()).empty());
}

TEST(ServiceClient, ObjectNameAndReplyBytes) {
    EXPECT_EQ(ServiceClient::objectName(u"getcapture.php", String()), String(u"getcapture.php"));
    EXPECT_EQ(ServiceClient::objectName(u"x.php", u"a=1"), String(u"x.php?a=1"));
    // The body goes out up to its first zero byte; the reply is read likewise.
    EXPECT_EQ(ServiceClient::bodyBytes(String(u"ab\0cd", 5)), "ab");
    EXPECT_EQ(ServiceClient::replyText(std::string("OK\0junk", 7)), String(u"OK"));
    EXPECT_TRUE(ServiceClient::replyText(std::string()).empty());
    const String reply = ServiceClient::replyText("{\"1\":\"K\xC3\xB6ln\"}");
    EXPECT_EQ(reply, String(u"{\"1\":\"Köln\"}"));
}
