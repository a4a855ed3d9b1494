// How the service reads the form bodies the program sends: splitting and
// percent-decoding.

#include "server/FormBody.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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
