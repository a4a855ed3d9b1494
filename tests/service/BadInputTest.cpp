// Requests the program never sends, or that name things that do not exist: each
// gets a short error text and leaves the database exactly as it was, and the
// service keeps serving.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "server/ServiceHandlers.h"
#include "service/FeedbackRequest.h"

#include <random>

namespace {

const std::string badCode = "Fehler: ungültiger Zugangscode";
const std::string malformed = "Fehler: ungültige Anfrage";
const std::string unknownTicket = "Fehler: unbekanntes Ticket";
std::string missing(const std::string& key) {
    return "Fehler: Angabe fehlt: " + key;
}
std::string invalid(const std::string& key) {
    return "Fehler: ungültige Angabe: " + key;
}
std::string code() {
    return utf8(ServiceClient::accessCode());
}

class BadInput : public ServiceFixture {
  protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        before = database.dump();
    }
    void TearDown() override {
        EXPECT_EQ(database.dump(), before);
        ServiceFixture::TearDown(); // and the service ends cleanly: it kept running
    }
    void expectRefused(const std::string& endpoint, const std::string& body, long status,
                       const std::string& text) {
        const RawReply reply = request(service.port(), "/" + endpoint, "POST", body);
        EXPECT_EQ(reply.status, status) << endpoint << " " << body.substr(0, 200);
        EXPECT_EQ(reply.body, text) << endpoint << " " << body.substr(0, 200);
    }
    std::string before;
};
INSTANTIATE_TEST_SUITE_P(Stores, BadInput, bothStores(), storeName);

// An action of a capture upload with its kind and element count.
ElementPtr action(const ElementPtr& root, const char16_t* key, const char16_t* act,
                  const char16_t* count) {
    ElementPtr a = Json::ElementMap::addMap(root, key);
    Json::ElementMap::setString(a, u"act", act);
    Json::ElementMap::setString(a, u"cnt", count);
    return a;
}

} // namespace

TEST_P(BadInput, CodeBodiesWithWrongCodeOrMalformedForm) {
    for (const char* endpoint : {"getlocalelist.php", "getoslist.php", "gettickets.php",
                                 "getticketcnt.php", "getsoftwarelist.php", "getcapture.php"}) {
        expectRefused(endpoint, "code=WRONG&cid=1", 403, badCode);
        expectRefused(endpoint, "code=" + code().replace(0, 1, "l") + "&cid=1", 403, badCode);
        expectRefused(endpoint, "cid=1", 403, badCode);
        for (const std::string& body :
             std::vector<std::string>{"", "code", "code=%zz", "code=" + code() + "&code=" + code()})
            expectRefused(endpoint, body, 400, malformed);
    }
    expectRefused("getcapture.php", "code=" + code(), 400, missing("cid"));
    expectRefused("getcapture.php", "code=" + code() + "&cid=1x", 400, invalid("cid"));
    for (const char* cid : {"99999", "-1"})
        expectRefused("getcapture.php", "code=" + code() + "&cid=" + cid, 404,
                      "Fehler: unbekannte Aufnahme");
}

TEST_P(BadInput, DocumentsWithWrongCodeOrBrokenEncoding) {
    const Members asker = {{u"hw_guid", u"{x}"}, {u"username", u"u"}};
    const std::string good = bodyOf(document(asker));
    for (const char* endpoint :
         {"createticket.php", "checkticket.php", "feedback.php", "createcapture.php"}) {
        expectRefused(endpoint, bodyOf(document(asker, false)), 403, badCode);
        expectRefused(endpoint, bodyOf(document({{u"code", u"WRONG"}, {u"username", u"u"}})), 403,
                      badCode);
        for (const std::string& body : std::vector<std::string>{
                 "code=" + code(), "content=hallo", "content=%7B%22code%22%3A%22\xC3\x28%22%7D",
                 "content=%7B\xC0\xAF%7D", good + "%00"})
            expectRefused(endpoint, body, 400, malformed);
    }
    // A capture nests four levels deep (root, action, trace, descriptor); a fifth
    // is refused, braces inside texts do not count.
    ElementPtr deep = document({{u"hw_guid", u"{{{{{{x}"}, {u"username", u"u"}});
    ElementPtr level = Json::ElementMap::addMap(
        Json::ElementMap::addMap(Json::ElementMap::addMap(deep, u"0"), u"trace"), u"0");
    EXPECT_EQ(postDocument(u"checkticket.php", deep), String(u"OK"));
    Json::ElementMap::addMap(level, u"extra");
    expectRefused("checkticket.php", bodyOf(deep), 400, malformed);
    expectRefused("checkticket.php", bodyOf(document({{u"hw_guid", u"{x}"}})), 400,
                  missing("username"));
}

TEST_P(BadInput, CreateTicketNeedsEveryMemberAndKnownIds) {
    for (const auto& [key, value] : ticketMembers(u"Frage")) {
        Members members = ticketMembers(u"Frage");
        members.erase(key);
        expectRefused("createticket.php", bodyOf(document(members)), 400, missing(utf8(key)));
    }
    const std::tuple<const char16_t*, const char16_t*, std::string> cases[] = {
        {u"question", u"  \n\t ", "Fehler: die Frage ist leer"},
        {u"sw_id", u"abc", invalid("sw_id")},
        {u"sw_id", u"", invalid("sw_id")},
        {u"id_locale", u"1x", invalid("id_locale")},
        {u"os_build_no", u"99999999999", invalid("os_build_no")},
        {u"os_major", u"6.2", invalid("os_major")},
        {u"id_locale", u"99", "Fehler: unbekannte Sprache"},
        {u"sw_id", u"999", "Fehler: unbekannte Software"},
        {u"sw_id", u"-5", "Fehler: unbekannte Software"},
    };
    for (const auto& [key, value, text] : cases) {
        Members members = ticketMembers(u"Frage");
        members[key] = value;
        expectRefused("createticket.php", bodyOf(document(members)), 400, text);
    }
}

TEST_P(BadInput, FeedbackNeedsAKnownTicketAndYesOrNo) {
    auto feedback = [](const char16_t* ticket, const char16_t* answer) {
        ElementPtr doc = feedbackDocument(0, SoftwareEntry(), feedbackYes);
        Json::ElementMap::setString(doc, u"ticketid", ticket);
        return bodyOf(Json::ElementMap::setString(doc, u"feedback", answer));
    };
    expectRefused("feedback.php", feedback(u"99999", u"YES"), 404, unknownTicket);
    expectRefused("feedback.php", feedback(u"1", u"MAYBE"), 400, invalid("feedback"));
    expectRefused("feedback.php", feedback(u"1", u"yes"), 400, invalid("feedback"));
    expectRefused("feedback.php", feedback(u"eins", u"YES"), 400, invalid("ticketid"));
    expectRefused("feedback.php", bodyOf(document({{u"ticketid", u"1"}})), 400, missing("sw_id"));
}

TEST_P(BadInput, CaptureUploadsThatCannotBePlayed) {
    // An upload for a ticket with one text input, ready to be spoiled.
    auto upload = [](const char16_t* ticket, const char16_t* count = u"1") {
        ElementPtr root = document({{u"tno", ticket}, {u"cnt", count}});
        Json::ElementMap::setString(action(root, u"0", u"7", u"0"), u"enter", u"HALLO");
        return root;
    };
    expectRefused("createcapture.php", bodyOf(upload(u"99999")), 404, unknownTicket);
    for (const char16_t* notOpen : {u"1", u"21"}) // solved, closed
        expectRefused("createcapture.php", bodyOf(upload(notOpen)), 409,
                      "Fehler: das Ticket ist nicht mehr offen");
    expectRefused("createcapture.php", bodyOf(document({{u"tno", u"3"}, {u"cnt", u"0"}})), 400,
                  "Fehler: die Aufnahme enthält keine Schritte");
    expectRefused("createcapture.php", bodyOf(upload(u"3", u"-1")), 400, invalid("cnt"));
    expectRefused("createcapture.php", bodyOf(upload(u"3", u"2")), 400, missing("1"));
    expectRefused("createcapture.php", bodyOf(document({{u"cnt", u"1"}})), 400, missing("tno"));

    ElementPtr doc = document({{u"tno", u"3"}, {u"cnt", u"1"}});
    Json::ElementMap::setString(action(doc, u"0", u"9", u"0"), u"enter", u"");
    expectRefused("createcapture.php", bodyOf(doc), 400, invalid("act"));
    action(doc, u"0", u"6", u"0"); // Return without its enter member
    expectRefused("createcapture.php", bodyOf(doc), 400, missing("enter"));
    ElementPtr click = action(doc, u"0", u"2", u"2");
    expectRefused("createcapture.php", bodyOf(doc), 400, missing("trace"));
    ElementPtr trace = Json::ElementMap::addMap(click, u"trace");
    auto level = [&](const char16_t* key) {
        ElementPtr d = Json::ElementMap::addMap(trace, key);
        for (const char16_t* field : {u"name", u"cln", u"aid"})
            Json::ElementMap::setString(d, field, u"x");
        return d;
    };
    Json::ElementMap::setString(level(u"0"), u"mon", u"x.exe");
    expectRefused("createcapture.php", bodyOf(doc), 400,
                  missing("trace")); // shorter than its count
    ElementPtr second = level(u"1");
    expectRefused("createcapture.php", bodyOf(doc), 400, missing("mon"));

    // The same upload made whole is accepted: the refusals above were about
    // exactly what they name.
    EXPECT_EQ(database.dump(), before);
    Json::ElementMap::setString(second, u"mon", u"x.exe");
    EXPECT_EQ(request(service.port(), "/createcapture.php", "POST", bodyOf(doc)).body, "OK");
    before = database.dump();
}

TEST_P(BadInput, WrongMethodsPathsSizesAndBodyKinds) {
    EXPECT_EQ(request(service.port(), "/gettickets.php", "GET", "").status, 405);
    EXPECT_EQ(request(service.port(), "/gettickets.php", "PUT", "code=" + code()).status, 404);
    expectRefused("deleteall.php", "code=" + code(), 404, "Fehler: unbekannter Endpunkt");
    EXPECT_EQ(request(service.port(), "/../../etc/passwd", "GET", "").status, 404);
    EXPECT_EQ(request(service.port(), "/", "GET", "").status, 404);

    std::string huge = "content=";
    huge.append(ServiceHandlers::maxBodyBytes + 1, 'a');
    expectRefused("createticket.php", huge, 413, "Fehler: Anfrage zu groß");
    EXPECT_EQ(
        request(service.port(), "/createticket.php", "POST", huge,
                {"Transfer-Encoding: chunked", "Content-Type: application/x-www-form-urlencoded"})
            .status,
        413);
    EXPECT_EQ(
        request(service.port(), "/createticket.php", "POST",
                "--b\r\nContent-Disposition: form-data; name=\"content\"\r\n\r\nx\r\n--b--\r\n",
                {"Content-Type: multipart/form-data; boundary=b"})
            .status,
        400);
}

TEST_P(BadInput, RandomBytesNeverStoreAnythingOrStopTheService) {
    std::mt19937 random(4711);
    const char* endpoints[] = {"getticketcnt.php", "getcapture.php", "createticket.php",
                               "checkticket.php",  "feedback.php",   "createcapture.php"};
    const std::string pieces[] = {"content=", "code=", code(), "%7B",  "%7D",  "%22",  "%3A", "&",
                                  "=",        "%",     "\\",   "\xC3", "\xA4", "cid=", "1"};
    for (int round = 0; round < 200; ++round) {
        std::string body;
        for (int i = static_cast<int>(random() % 12); i > 0; --i) {
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
}
