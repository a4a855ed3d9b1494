#include "service/CreateTicketRequest.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(CreateTicketRequest, DocumentHoldsEveryMemberEscapedInKeyOrder) {
    CreateTicketRequest r;
    r.question = u"Zeile1\nSag \"hi\" C:\\Daten ä";
    r.software =
        SoftwareEntry{7, 1031, u"Foo Editor", u"Foo", u"2.1", u"2.1.0.5", u"foo.exe", true};
    r.localeId = 1033;
    r.hwGuid = u"{abc-123}";
    r.username = u"anna";
    r.os = {2, 6, 2, 0x0A005867, 0, 0, 48}; // build 22631 in the low 16 bits
    String written = Json::writeText(r.document());
    String expected =
        String(u"{\"code\":\"") + ServiceClient::accessCode() +
        u"\",\"hw_guid\":\"{abc-123}\",\"id_locale\":\"1033\","
        u"\"os_build_no\":\"22631\",\"os_description\":\"Windows 11 Pro\","
        u"\"os_id_platform\":\"2\",\"os_major\":\"6\",\"os_minor\":\"2\","
        u"\"question\":\"Zeile1\\nSag \\\"hi\\\" C:\\\\Daten ä\","
        u"\"sw_file_desc\":\"Foo Editor\",\"sw_file_version\":\"2.1\","
        u"\"sw_file_version_full\":\"2.1.0.5\",\"sw_id\":\"7\",\"sw_id_locale\":\"1031\","
        u"\"sw_module_name\":\"foo.exe\",\"sw_product_name\":\"Foo\","
        u"\"username\":\"anna\"}";
    EXPECT_EQ(written, expected);

    EXPECT_EQ(r.body(), String(u"content=") + ServiceClient::percentEncode(written));
}

TEST(CreateTicketRequest, OnlyTheExactReplyOkSucceeds) {
    EXPECT_TRUE(createTicketSucceeded(u"OK"));
    for (const char16_t* reply : {u"", u"OK ", u"ok", u"OK\n", u" OK", u"<html>OK</html>"})
        EXPECT_FALSE(createTicketSucceeded(reply));
    EXPECT_EQ(createTicketFailureText(u"Fehler: die Frage ist leer"),
              String(u"Das Ticket konnte nicht angelegt werden: Fehler: die Frage ist leer"));
}
