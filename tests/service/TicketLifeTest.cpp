// A ticket's whole life over HTTPS, and how the service files the software and
// operating system a new ticket names.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "ServiceTestTools.h"

using namespace ServiceTestTools;

namespace {

using TicketLife = ServiceFixture;

const char16_t* const askerGuid = u"{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}";

// The program's view of what it sent: the written document parsed again.
ElementPtr asReceived(const ElementPtr& sent) {
    return Json::parseText(Json::writeText(sent));
}

int newestTicketId(const ElementPtr& tickets) {
    int newest = 0;
    for (const auto& member : Json::asMap(tickets)->members)
        newest = std::max(newest, member.first.toInt());
    return newest;
}

ElementPtr ticket(int id) {
    return Json::member(postCodeParsed(u"gettickets.php"), String::format(u"%i", id));
}

ElementPtr counts() {
    return postCodeParsed(u"getticketcnt.php");
}

String checkTicket(const String& guid, const String& user) {
    return postDocument(u"checkticket.php", document({{u"hw_guid", guid}, {u"username", user}}));
}

String feedback(int ticketId, const char16_t* answer) {
    return postDocument(u"feedback.php", document({{u"ticketid", String::format(u"%i", ticketId)},
                                                   {u"sw_id", u"0"},
                                                   {u"sw_file_desc", u""},
                                                   {u"sw_product_name", u""},
                                                   {u"sw_file_version", u""},
                                                   {u"sw_file_version_full", u""},
                                                   {u"sw_module_name", u"notepad.exe"},
                                                   {u"feedback", answer}}));
}

void addDescriptor(const ElementPtr& trace, int index, const String& name, const String& cls,
                   const String& aid, const String& module) {
    ElementPtr d = Json::ElementMap::addMap(trace, String::format(u"%i", index));
    Json::ElementMap::setString(d, u"name", name);
    Json::ElementMap::setString(d, u"cln", cls);
    Json::ElementMap::setString(d, u"aid", aid);
    Json::ElementMap::setString(d, u"mon", module);
}

// A click on a button inside a window, a text input and a Return, as the
// recorder uploads them.
ElementPtr captureUpload(int ticketId) {
    ElementPtr root = Json::makeRoot();
    Json::ElementMap::setString(root, u"tno", String::format(u"%i", ticketId));
    Json::ElementMap::setString(root, u"code", ServiceClient::accessCode());
    Json::ElementMap::setString(root, u"cnt", u"3");
    ElementPtr click = Json::ElementMap::addMap(root, u"0");
    Json::ElementMap::setString(click, u"act", u"2");
    Json::ElementMap::setString(click, u"cnt", u"3");
    ElementPtr trace = Json::ElementMap::addMap(click, u"trace");
    addDescriptor(trace, 0, u"\"Speichern\" unter…", u"Button", u"1001", u"foo.exe");
    addDescriptor(trace, 1, u"Datei C:\\Daten\\Brief.txt – Foo", u"FooMain", u"", u"foo.exe");
    addDescriptor(trace, 2, u"Desktop", u"#32769", u"", u"foo.exe");
    ElementPtr typed = Json::ElementMap::addMap(root, u"1");
    Json::ElementMap::setString(typed, u"act", u"7");
    Json::ElementMap::setString(typed, u"cnt", u"0");
    Json::ElementMap::setString(typed, u"enter", u"HALLO \"WELT\" & ÄÖÜ");
    ElementPtr enter = Json::ElementMap::addMap(root, u"2");
    Json::ElementMap::setString(enter, u"act", u"6");
    Json::ElementMap::setString(enter, u"cnt", u"0");
    Json::ElementMap::setString(enter, u"enter", u"");
    return root;
}

} // namespace

TEST_F(TicketLife, CreatedOpenSolvedReportedOnceAndConfirmed) {
    const String question =
        u"Wie drucke ich \"alles\" aus?\nZweite Zeile: C:\\Pfad & 100% = äöü \U0001F600";
    const int totalBefore = Json::memberInt(counts(), u"total");
    const int unsolvedBefore = Json::memberInt(counts(), u"unsolved");

    ElementPtr request = document(ticketMembers(question));
    ASSERT_EQ(postDocument(u"createticket.php", request), String(u"OK"));
    EXPECT_EQ(Json::memberInt(counts(), u"total"), totalBefore + 1);
    EXPECT_EQ(Json::memberInt(counts(), u"unsolved"), unsolvedBefore + 1);

    const int id = newestTicketId(postCodeParsed(u"gettickets.php"));
    ElementPtr created = ticket(id);
    // The program reads back exactly what it sent, and the database holds the
    // plain text.
    EXPECT_EQ(Json::memberText(created, u"question"),
              Json::memberText(asReceived(request), u"question"));
    EXPECT_EQ(queryText(service.databasePath(),
                        "SELECT question FROM ticket WHERE id = " + std::to_string(id)),
              utf8(question));
    EXPECT_EQ(Json::memberText(created, u"id_state"), String(u"1"));
    EXPECT_EQ(Json::memberText(created, u"id_capture"), String(u"0"));
    EXPECT_EQ(Json::memberText(created, u"software_list"), String(u"6"));
    EXPECT_EQ(Json::memberText(created, u"id_locale"), String(u"1"));
    // Same platform, version, build and name as the demo's "Windows 10 Pro" row.
    EXPECT_EQ(Json::memberText(created, u"id_operating_system"), String(u"1"));

    // Nothing solved yet.
    EXPECT_EQ(checkTicket(askerGuid, u"tester"), String(u"OK"));

    ElementPtr upload = captureUpload(id);
    ASSERT_EQ(postDocument(u"createcapture.php", upload), String(u"OK"));
    ElementPtr solved = ticket(id);
    EXPECT_EQ(Json::memberText(solved, u"id_state"), String(u"2"));
    const int captureId = Json::memberInt(solved, u"id_capture");
    EXPECT_GT(captureId, 0);
    EXPECT_EQ(Json::memberInt(counts(), u"unsolved"), unsolvedBefore);

    ElementPtr capture = Json::parseText(
        ServiceClient::post(u"getcapture.php", ServiceClient::codeAndCaptureBody(captureId)));
    ASSERT_EQ(Json::memberInt(capture, u"trace_cnt"), 3);
    ElementPtr click = Json::member(capture, u"0");
    EXPECT_EQ(Json::memberInt(click, u"id_action"), 2);
    ASSERT_EQ(Json::memberInt(click, u"elem_cnt"), 3);
    ElementPtr sentTrace = Json::member(Json::member(asReceived(upload), u"0"), u"trace");
    for (int level = 0; level < 3; ++level) {
        const String key = String::format(u"%i", level);
        ElementPtr got = Json::member(click, key);
        ElementPtr sent = Json::member(sentTrace, key);
        EXPECT_EQ(Json::memberText(got, u"name"), Json::memberText(sent, u"name"));
        EXPECT_EQ(Json::memberText(got, u"class_name"), Json::memberText(sent, u"cln"));
        EXPECT_EQ(Json::memberText(got, u"automation_id"), Json::memberText(sent, u"aid"));
        EXPECT_EQ(Json::memberText(got, u"module_name"), Json::memberText(sent, u"mon"));
    }
    EXPECT_EQ(
        queryText(service.databasePath(), "SELECT name FROM capture_element WHERE id_capture = " +
                                              std::to_string(captureId) +
                                              " AND action_position = 0 AND position = 1"),
        "Datei C:\\Daten\\Brief.txt – Foo");
    ElementPtr typed = Json::member(capture, u"1");
    EXPECT_EQ(Json::memberInt(typed, u"id_action"), 7);
    EXPECT_EQ(Json::memberInt(typed, u"elem_cnt"), 0);
    EXPECT_EQ(Json::memberText(typed, u"entered_text"),
              Json::memberText(Json::member(asReceived(upload), u"1"), u"enter"));
    EXPECT_EQ(Json::memberInt(Json::member(capture, u"2"), u"id_action"), 6);

    // The solved report goes to the asker only, once.
    EXPECT_EQ(checkTicket(askerGuid, u"someone else"), String(u"OK"));
    EXPECT_EQ(checkTicket(u"{00000000-0000-0000-0000-000000000000}", u"tester"), String(u"OK"));
    ElementPtr report = Json::parseText(checkTicket(askerGuid, u"tester"));
    ASSERT_EQ(Json::asMap(report)->members.size(), 1u);
    EXPECT_EQ(Json::asMap(report)->members.begin()->first.toInt(), id);
    EXPECT_EQ(checkTicket(askerGuid, u"tester"), String(u"OK"));

    // A second recording cannot replace the one the asker was told about.
    const std::string before = dumpTables(service.databasePath());
    EXPECT_EQ(postDocument(u"createcapture.php", captureUpload(id)),
              String(u"Fehler: das Ticket ist nicht mehr offen"));
    EXPECT_EQ(dumpTables(service.databasePath()), before);

    // "NO" is recorded and changes nothing; "YES" confirms.
    EXPECT_EQ(feedback(id, u"NO"), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(id), u"id_state"), String(u"2"));
    EXPECT_EQ(feedback(id, u"YES"), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(id), u"id_state"), String(u"3"));
    EXPECT_EQ(queryText(service.databasePath(),
                        "SELECT group_concat(answer, ',') FROM feedback WHERE id_ticket = " +
                            std::to_string(id)),
              "NO,YES");
    EXPECT_EQ(Json::memberInt(counts(), u"total"), totalBefore + 1);
}

TEST_F(TicketLife, FeedbackOnAnOpenTicketIsRecordedButConfirmsNothing) {
    // Ticket 3 of the demo data is open.
    ASSERT_EQ(Json::memberText(ticket(3), u"id_state"), String(u"1"));
    EXPECT_EQ(feedback(3, u"YES"), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(3), u"id_state"), String(u"1"));
    EXPECT_EQ(
        queryText(service.databasePath(), "SELECT count(*) FROM feedback WHERE id_ticket = 3"),
        "1");
}

TEST_F(TicketLife, PickedSoftwareAndNewSystemsJoinTheCatalogues) {
    auto listSize = [](const char16_t* endpoint) {
        const ElementPtr list = postCodeParsed(endpoint);
        return Json::asMap(list)->members.size();
    };
    auto catalogueSize = [&] { return listSize(u"getsoftwarelist.php"); };
    auto osCount = [&] { return listSize(u"getoslist.php"); };
    const size_t softwareBefore = catalogueSize();
    const size_t systemsBefore = osCount();

    Members picked = ticketMembers(u"Wie öffne ich eine Datei in Foo?");
    replace(picked, u"sw_id", u"0");
    replace(picked, u"sw_file_desc", u"Foo Editor");
    replace(picked, u"sw_product_name", u"Foo");
    replace(picked, u"sw_file_version", u"2.1");
    replace(picked, u"sw_file_version_full", u"2.1.0.5");
    replace(picked, u"sw_module_name", u"foo.exe");
    replace(picked, u"os_major", u"10");
    replace(picked, u"os_minor", u"0");
    replace(picked, u"os_build_no", u"26100");
    replace(picked, u"os_description", u"unknown Windows version");
    ASSERT_EQ(postDocument(u"createticket.php", document(picked)), String(u"OK"));
    const int first = newestTicketId(postCodeParsed(u"gettickets.php"));
    EXPECT_EQ(catalogueSize(), softwareBefore + 1);
    EXPECT_EQ(osCount(), systemsBefore + 1);
    const String softwareId = Json::memberText(ticket(first), u"software_list");
    ElementPtr entry = Json::member(postCodeParsed(u"getsoftwarelist.php"), softwareId);
    EXPECT_EQ(Json::memberText(entry, u"file_desc"), String(u"Foo Editor"));
    EXPECT_EQ(Json::memberText(entry, u"file_version_full"), String(u"2.1.0.5"));
    EXPECT_EQ(Json::memberText(entry, u"module_name"), String(u"foo.exe"));
    EXPECT_EQ(Json::memberText(entry, u"supported"), String(u"0"));

    // The same program and system again: no second entry.
    replace(picked, u"question", u"Wie speichere ich in Foo?");
    ASSERT_EQ(postDocument(u"createticket.php", document(picked)), String(u"OK"));
    const int second = newestTicketId(postCodeParsed(u"gettickets.php"));
    EXPECT_EQ(catalogueSize(), softwareBefore + 1);
    EXPECT_EQ(osCount(), systemsBefore + 1);
    EXPECT_EQ(Json::memberText(ticket(second), u"software_list"), softwareId);
    EXPECT_EQ(Json::memberText(ticket(second), u"id_operating_system"),
              Json::memberText(ticket(first), u"id_operating_system"));

    // A program without a version resource keeps its module name as its
    // description, so it does not become a second "any software" entry.
    Members bare = ticketMembers(u"Wie drucke ich aus Wines Editor?");
    for (const char16_t* key :
         {u"sw_file_desc", u"sw_product_name", u"sw_file_version", u"sw_file_version_full"})
        replace(bare, key, u"");
    replace(bare, u"sw_id", u"0");
    replace(bare, u"sw_module_name", u"notepad.exe");
    ASSERT_EQ(postDocument(u"createticket.php", document(bare)), String(u"OK"));
    const String bareId = Json::memberText(
        ticket(newestTicketId(postCodeParsed(u"gettickets.php"))), u"software_list");
    EXPECT_EQ(Json::memberText(Json::member(postCodeParsed(u"getsoftwarelist.php"), bareId),
                               u"file_desc"),
              String(u"notepad.exe"));

    // Nothing known at all: the ticket belongs to any software.
    replace(bare, u"sw_module_name", u"");
    ASSERT_EQ(postDocument(u"createticket.php", document(bare)), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(newestTicketId(postCodeParsed(u"gettickets.php"))),
                               u"software_list"),
              String(u"1"));
    int wildcards = 0;
    ElementPtr catalogue = postCodeParsed(u"getsoftwarelist.php");
    for (const auto& member : Json::asMap(catalogue)->members) {
        wildcards += Json::memberText(member.second, u"file_desc").empty() &&
                     Json::memberText(member.second, u"product_name").empty() &&
                     Json::memberText(member.second, u"file_version").empty();
    }
    EXPECT_EQ(wildcards, 1);
}
