// Requests the program never sends, or that name things that do not exist: each
// gets a short error text and leaves the database exactly as it was, and the
// service keeps serving.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "ServiceTestTools.h"
#include "server/ServiceHandlers.h"

#include <random>

using namespace ServiceTestTools;

namespace {

class BadInput : public ServiceFixture {
  protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        before = dumpTables(service.databasePath());
    }

    // Sends the body and checks status, error text and the unchanged database.
    void expectRefused(const std::string& what, const std::string& endpoint,
                       const std::string& body, long status, const std::string& text) {
        RawReply reply = request(service.port(), "/" + endpoint, "POST", body);
        EXPECT_EQ(reply.status, status) << what;
        EXPECT_EQ(reply.body, text) << what;
        EXPECT_EQ(dumpTables(service.databasePath()), before) << what;
    }

    static std::string content(const ElementPtr& doc) { return bodyBytes(doc); }
    static std::string bodyBytes(const ElementPtr& doc) {
        return ServiceClient::bodyBytes(ServiceClient::documentBody(doc));
    }
    static std::string code() { return utf8(ServiceClient::accessCode()); }

    std::string before;
};

const std::string badCode = "Fehler: ungültiger Zugangscode";
const std::string malformed = "Fehler: ungültige Anfrage";
std::string missing(const std::string& key) {
    return "Fehler: Angabe fehlt: " + key;
}
std::string invalid(const std::string& key) {
    return "Fehler: ungültige Angabe: " + key;
}

ElementPtr action(const ElementPtr& root, const char16_t* key, const char16_t* act,
                  const char16_t* count) {
    ElementPtr a = Json::ElementMap::addMap(root, key);
    Json::ElementMap::setString(a, u"act", act);
    Json::ElementMap::setString(a, u"cnt", count);
    return a;
}

ElementPtr descriptor(const ElementPtr& trace, const char16_t* key) {
    ElementPtr d = Json::ElementMap::addMap(trace, key);
    for (const char16_t* field : {u"name", u"cln", u"aid", u"mon"})
        Json::ElementMap::setString(d, field, u"x");
    return d;
}

// An upload for ticket `ticket` with one text input, ready to be spoiled.
ElementPtr upload(const char16_t* ticket, const char16_t* count = u"1") {
    ElementPtr root = document({{u"tno", ticket}, {u"cnt", count}});
    ElementPtr typed = action(root, u"0", u"7", u"0");
    Json::ElementMap::setString(typed, u"enter", u"HALLO");
    return root;
}

} // namespace

TEST_F(BadInput, CodeBodiesWithWrongCodeOrMalformedForm) {
    for (const char* endpoint : {"getlocalelist.php", "getoslist.php", "gettickets.php",
                                 "getticketcnt.php", "getsoftwarelist.php", "getcapture.php"}) {
        expectRefused("wrong code", endpoint, "code=WRONG&cid=1", 403, badCode);
        expectRefused("code in other case", endpoint,
                      "code=" + std::string(code()).replace(0, 1, "l") + "&cid=1", 403, badCode);
        expectRefused("no code", endpoint, "cid=1", 403, badCode);
        expectRefused("empty body", endpoint, "", 400, malformed);
        expectRefused("no equals sign", endpoint, "code", 400, malformed);
        expectRefused("broken escape", endpoint, "code=%zz", 400, malformed);
        expectRefused("name twice", endpoint, "code=" + code() + "&code=" + code(), 400, malformed);
    }
    expectRefused("no capture id", "getcapture.php", "code=" + code(), 400, missing("cid"));
    expectRefused("capture id not a number", "getcapture.php", "code=" + code() + "&cid=1x", 400,
                  invalid("cid"));
    expectRefused("unknown capture", "getcapture.php", "code=" + code() + "&cid=99999", 404,
                  "Fehler: unbekannte Aufnahme");
    expectRefused("negative capture id", "getcapture.php", "code=" + code() + "&cid=-1", 404,
                  "Fehler: unbekannte Aufnahme");
}

TEST_F(BadInput, DocumentsWithWrongCodeOrBrokenEncoding) {
    const ElementPtr good = document({{u"hw_guid", u"{x}"}, {u"username", u"u"}});
    for (const char* endpoint :
         {"createticket.php", "checkticket.php", "feedback.php", "createcapture.php"}) {
        expectRefused("no code member", endpoint,
                      bodyBytes(document({{u"hw_guid", u"{x}"}, {u"username", u"u"}}, false)), 403,
                      badCode);
        expectRefused("wrong code member", endpoint,
                      bodyBytes(document({{u"code", u"WRONG"}, {u"username", u"u"}})), 403,
                      badCode);
        expectRefused("code outside the document", endpoint, "code=" + code(), 400, malformed);
        expectRefused("content is not JSON", endpoint, "content=hallo", 400, malformed);
        expectRefused("invalid UTF-8", endpoint, "content=%7B%22code%22%3A%22\xC3\x28%22%7D", 400,
                      malformed);
        expectRefused("overlong UTF-8", endpoint, "content=%7B\xC0\xAF%7D", 400, malformed);
        expectRefused("zero byte", endpoint, bodyBytes(good) + "%00", 400, malformed);
        expectRefused("code form on a document endpoint", endpoint, "code=" + code(), 400,
                      malformed);
    }
    // A capture nests four levels deep (root, action, trace, descriptor); a fifth
    // is refused, braces inside texts do not count.
    ElementPtr deep = document({{u"hw_guid", u"{{{{{{x}"}, {u"username", u"u"}});
    ElementPtr level = Json::ElementMap::addMap(deep, u"0");
    level = Json::ElementMap::addMap(level, u"trace");
    level = Json::ElementMap::addMap(level, u"0");
    EXPECT_EQ(postDocument(u"checkticket.php", deep), String(u"OK"));
    Json::ElementMap::addMap(level, u"extra");
    expectRefused("five levels", "checkticket.php", bodyBytes(deep), 400, malformed);
    expectRefused("checkticket without username", "checkticket.php",
                  bodyBytes(document({{u"hw_guid", u"{x}"}})), 400, missing("username"));
}

TEST_F(BadInput, CreateTicketNeedsEveryMemberAndKnownIds) {
    // Each member the program sends is required.
    for (const auto& member : ticketMembers(u"Frage")) {
        Members members = ticketMembers(u"Frage");
        remove(members, member.first);
        expectRefused("without a member", "createticket.php", bodyBytes(document(members)), 400,
                      missing(utf8(member.first)));
    }
    struct Case {
        const char16_t* key;
        const char16_t* value;
        long status;
        std::string text;
    };
    const Case cases[] = {
        {u"question", u"  \n\t ", 400, "Fehler: die Frage ist leer"},
        {u"sw_id", u"abc", 400, invalid("sw_id")},
        {u"sw_id", u"", 400, invalid("sw_id")},
        {u"id_locale", u"1x", 400, invalid("id_locale")},
        {u"os_build_no", u"99999999999", 400, invalid("os_build_no")},
        {u"os_major", u"6.2", 400, invalid("os_major")},
        {u"id_locale", u"99", 400, "Fehler: unbekannte Sprache"},
        {u"sw_id", u"999", 400, "Fehler: unbekannte Software"},
        {u"sw_id", u"-5", 400, "Fehler: unbekannte Software"},
    };
    for (const Case& c : cases) {
        Members members = ticketMembers(u"Frage");
        replace(members, c.key, c.value);
        expectRefused("bad " + utf8(c.key), "createticket.php", bodyBytes(document(members)),
                      c.status, c.text);
    }
}

TEST_F(BadInput, FeedbackNeedsAKnownTicketAndYesOrNo) {
    auto feedback = [](const char16_t* ticket, const char16_t* answer) {
        return bodyBytes(document({{u"ticketid", ticket},
                                   {u"sw_id", u"0"},
                                   {u"sw_file_desc", u""},
                                   {u"sw_product_name", u""},
                                   {u"sw_file_version", u""},
                                   {u"sw_file_version_full", u""},
                                   {u"sw_module_name", u""},
                                   {u"feedback", answer}}));
    };
    expectRefused("unknown ticket", "feedback.php", feedback(u"99999", u"YES"), 404,
                  "Fehler: unbekanntes Ticket");
    expectRefused("neither yes nor no", "feedback.php", feedback(u"1", u"MAYBE"), 400,
                  invalid("feedback"));
    expectRefused("lower case", "feedback.php", feedback(u"1", u"yes"), 400, invalid("feedback"));
    expectRefused("ticket id not a number", "feedback.php", feedback(u"eins", u"YES"), 400,
                  invalid("ticketid"));
    expectRefused("no feedback member", "feedback.php", bodyBytes(document({{u"ticketid", u"1"}})),
                  400, missing("sw_id"));
}

TEST_F(BadInput, CaptureUploadsThatCannotBePlayed) {
    expectRefused("unknown ticket", "createcapture.php", content(upload(u"99999")), 404,
                  "Fehler: unbekanntes Ticket");
    expectRefused("solved ticket", "createcapture.php", content(upload(u"1")), 409,
                  "Fehler: das Ticket ist nicht mehr offen");
    expectRefused("closed ticket", "createcapture.php", content(upload(u"21")), 409,
                  "Fehler: das Ticket ist nicht mehr offen");
    expectRefused("no actions", "createcapture.php",
                  content(document({{u"tno", u"3"}, {u"cnt", u"0"}})), 400,
                  "Fehler: die Aufnahme enthält keine Schritte");
    expectRefused("negative count", "createcapture.php", content(upload(u"3", u"-1")), 400,
                  invalid("cnt"));
    expectRefused("missing action", "createcapture.php", content(upload(u"3", u"2")), 400,
                  missing("1"));
    expectRefused("no ticket number", "createcapture.php", content(document({{u"cnt", u"1"}})), 400,
                  missing("tno"));

    ElementPtr badKind = document({{u"tno", u"3"}, {u"cnt", u"1"}});
    Json::ElementMap::setString(action(badKind, u"0", u"9", u"0"), u"enter", u"");
    expectRefused("unknown action kind", "createcapture.php", content(badKind), 400,
                  invalid("act"));

    ElementPtr noEnter = document({{u"tno", u"3"}, {u"cnt", u"1"}});
    action(noEnter, u"0", u"6", u"0");
    expectRefused("Return without enter member", "createcapture.php", content(noEnter), 400,
                  missing("enter"));

    ElementPtr noTrace = document({{u"tno", u"3"}, {u"cnt", u"1"}});
    action(noTrace, u"0", u"2", u"2");
    expectRefused("click without trace", "createcapture.php", content(noTrace), 400,
                  missing("trace"));

    ElementPtr shortTrace = document({{u"tno", u"3"}, {u"cnt", u"1"}});
    ElementPtr trace = Json::ElementMap::addMap(action(shortTrace, u"0", u"2", u"2"), u"trace");
    descriptor(trace, u"0");
    expectRefused("trace shorter than its count", "createcapture.php", content(shortTrace), 400,
                  missing("trace"));
    descriptor(trace, u"1");
    const ElementPtr secondLevel = Json::member(trace, u"1");
    Json::asMap(secondLevel)->members.erase(String(u"mon"));
    expectRefused("descriptor without module", "createcapture.php", content(shortTrace), 400,
                  missing("mon"));

    // The same upload made whole is accepted: the refusals above were about
    // exactly what they name.
    Json::ElementMap::setString(Json::member(trace, u"1"), u"mon", u"x.exe");
    RawReply accepted = request(service.port(), "/createcapture.php", "POST", content(shortTrace));
    EXPECT_EQ(accepted.body, "OK");
}

TEST_F(BadInput, WrongMethodsPathsSizesAndBodyKinds) {
    EXPECT_EQ(request(service.port(), "/gettickets.php", "GET", "").status, 405);
    EXPECT_EQ(request(service.port(), "/gettickets.php", "PUT", "code=" + code()).status, 404);
    RawReply unknown = request(service.port(), "/deleteall.php", "POST", "code=" + code());
    EXPECT_EQ(unknown.status, 404);
    EXPECT_EQ(unknown.body, "Fehler: unbekannter Endpunkt");
    EXPECT_EQ(request(service.port(), "/../../etc/passwd", "GET", "").status, 404);
    EXPECT_EQ(request(service.port(), "/", "GET", "").status, 404);

    std::string huge = "content=";
    huge.append(ServiceHandlers::maxBodyBytes + 1, 'a');
    expectRefused("body over the limit", "createticket.php", huge, 413, "Fehler: Anfrage zu groß");
    RawReply chunked =
        request(service.port(), "/createticket.php", "POST", huge,
                {"Transfer-Encoding: chunked", "Content-Type: application/x-www-form-urlencoded"});
    EXPECT_EQ(chunked.status, 413);
    RawReply multipart =
        request(service.port(), "/createticket.php", "POST",
                "--b\r\nContent-Disposition: form-data; name=\"content\"\r\n\r\nx\r\n--b--\r\n",
                {"Content-Type: multipart/form-data; boundary=b"});
    EXPECT_EQ(multipart.status, 400);

    // A great many nested objects: refused before they are built.
    std::string nested = "content=";
    for (int i = 0; i < 200000; ++i)
        nested += "%7B";
    expectRefused("deep nesting", "createticket.php", nested, 400, malformed);

    EXPECT_EQ(dumpTables(service.databasePath()), before);
    EXPECT_TRUE(service.running());
    EXPECT_EQ(ServiceClient::send(u"localhost", u"curversion.php", String(), String(), u"GET"),
              String(u"1.0.2"));
}

TEST_F(BadInput, RandomBytesNeverStoreAnythingOrStopTheService) {
    std::mt19937 random(4711);
    const char* endpoints[] = {"getticketcnt.php", "getcapture.php", "createticket.php",
                               "checkticket.php",  "feedback.php",   "createcapture.php"};
    const std::string pieces[] = {"content=", "code=", code(), "%7B",  "%7D",  "%22",  "%3A", "&",
                                  "=",        "%",     "\\",   "\xC3", "\xA4", "cid=", "1"};
    for (int round = 0; round < 200; ++round) {
        std::string body;
        const int parts = static_cast<int>(random() % 12);
        for (int i = 0; i < parts; ++i) {
            if (random() % 3 == 0)
                body.push_back(static_cast<char>(random() % 256));
            else
                body += pieces[random() % std::size(pieces)];
        }
        RawReply reply =
            request(service.port(), std::string("/") + endpoints[round % 6], "POST", body);
        ASSERT_NE(reply.status, 0) << "round " << round;
        if (reply.status != 200) {
            EXPECT_EQ(reply.body.rfind("Fehler: ", 0), 0u) << "round " << round;
        }
    }
    EXPECT_EQ(dumpTables(service.databasePath()), before);
    EXPECT_TRUE(service.running());
}
