// A ticket's whole life over HTTPS, and how the service files the software and
// operating system a new ticket names.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "service/CaptureDownload.h"
#include "service/CaptureUpload.h"
#include "service/FeedbackRequest.h"

namespace {

using TicketLife = ServiceFixture;
INSTANTIATE_TEST_SUITE_P(Stores, TicketLife, bothStores(), storeName);

const char16_t* const askerGuid = u"{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}";

int newestTicketId() {
    const ElementPtr tickets = postCodeParsed(u"gettickets.php");
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
    return postDocument(u"checkticket.php", solvedTicketCheckDocument(guid, user));
}

// A click on a button inside a window, a text input and a Return, as the
// recorder keeps them; the texts hold what window titles and typing bring.
Capture recordedSolution() {
    CaptureAction click{Action::leftClick, {}, {}};
    click.trace.elements = {
        {String(u"\"Speichern\" unter…"), u"Button", u"1001", u"foo.exe", {}, {}},
        {String(u"Datei C:\\Daten\\new\\Brief.txt – Foo \U0001F600"),
         u"FooMain",
         u"",
         u"foo.exe",
         {},
         {}},
        {String(u"Desktop"), u"#32769", u"", u"foo.exe", {}, {}}};
    CaptureAction typed{Action::textInput, {}, {}};
    typed.trace.enteredText = u"HALLO \"WELT\" & ÄÖÜ C:\\temp\\new\t\\";
    CaptureAction enter{Action::enterKey, u"HALLO", {}}; // the text stays on this computer
    return Capture{{click, typed, enter}};
}

} // namespace

TEST_P(TicketLife, CreatedOpenSolvedReportedOnceAndConfirmed) {
    // Longer than a fixed formatting buffer of 8191 characters would hold.
    String question =
        u"Wie drucke ich \"alles\" aus?\nZweite Zeile: C:\\Pfad & 100% = äöü \U0001F600";
    while (question.length() < 12000)
        question.append(u" mehr Text & = \"\\", 17);
    const int totalBefore = Json::memberInt(counts(), u"total");
    const int unsolvedBefore = Json::memberInt(counts(), u"unsolved");

    ElementPtr request = document(ticketMembers(question));
    ASSERT_EQ(postDocument(u"createticket.php", request), String(u"OK"));
    EXPECT_EQ(Json::memberInt(counts(), u"total"), totalBefore + 1);
    EXPECT_EQ(Json::memberInt(counts(), u"unsolved"), unsolvedBefore + 1);

    const int id = newestTicketId();
    ElementPtr created = ticket(id);
    // The program reads back exactly what it sent, and the database holds it as
    // plain text.
    EXPECT_EQ(Json::memberText(created, u"question"), question);
    EXPECT_EQ(database.query("SELECT question FROM ticket WHERE id = " + std::to_string(id)),
              utf8(question));
    EXPECT_EQ(Json::memberText(created, u"id_state"), String(u"1"));
    EXPECT_EQ(Json::memberText(created, u"id_capture"), String(u"0"));
    EXPECT_EQ(Json::memberText(created, u"software_list"), String(u"6"));
    EXPECT_EQ(Json::memberText(created, u"id_locale"), String(u"1"));
    // Same platform, version, build and name as the demo's "Windows 10 Pro" row.
    EXPECT_EQ(Json::memberText(created, u"id_operating_system"), String(u"1"));

    // Nothing solved yet; feedback on the open ticket is recorded but confirms
    // nothing.
    EXPECT_EQ(checkTicket(askerGuid, u"tester"), String(u"OK"));
    EXPECT_EQ(sendFeedback(id, SoftwareEntry(), feedbackYes), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(id), u"id_state"), String(u"1"));

    const Capture solution = recordedSolution();
    String error;
    ASSERT_TRUE(uploadCapture(id, solution, error)) << utf8(error);
    ElementPtr solved = ticket(id);
    EXPECT_EQ(Json::memberText(solved, u"id_state"), String(u"2"));
    const int captureId = Json::memberInt(solved, u"id_capture");
    EXPECT_GT(captureId, 0);
    EXPECT_EQ(Json::memberInt(counts(), u"unsolved"), unsolvedBefore);

    // The program's download gives back exactly what was sent.
    Ticket asker;
    asker.id_capture = captureId;
    ASSERT_TRUE(downloadCapture(asker));
    EXPECT_EQ(Json::writeText(captureDocument(id, asker.capture)),
              Json::writeText(captureDocument(id, solution)));

    // The solved report goes to the asker only, once.
    EXPECT_EQ(checkTicket(askerGuid, u"someone else"), String(u"OK"));
    EXPECT_EQ(checkTicket(u"{00000000-0000-0000-0000-000000000000}", u"tester"), String(u"OK"));
    ElementPtr report = Json::parseText(checkTicket(askerGuid, u"tester"));
    ASSERT_EQ(Json::asMap(report)->members.size(), 1u);
    EXPECT_EQ(Json::asMap(report)->members.begin()->first.toInt(), id);
    EXPECT_EQ(checkTicket(askerGuid, u"tester"), String(u"OK"));

    // A second recording cannot replace the one the asker was told about.
    EXPECT_FALSE(uploadCapture(id, solution, error));
    EXPECT_EQ(error, String(u"Fehler: das Ticket ist nicht mehr offen"));

    // "NO" is recorded and changes nothing; "YES" confirms.
    EXPECT_EQ(sendFeedback(id, SoftwareEntry(), feedbackNo), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(id), u"id_state"), String(u"2"));
    EXPECT_EQ(sendFeedback(id, SoftwareEntry(), feedbackYes), String(u"OK"));
    EXPECT_EQ(Json::memberText(ticket(id), u"id_state"), String(u"3"));
    EXPECT_EQ(database.query("SELECT answer FROM feedback WHERE id_ticket = " + std::to_string(id) +
                             " ORDER BY id"),
              "YES\nNO\nYES");
    EXPECT_EQ(Json::memberInt(counts(), u"total"), totalBefore + 1);
}

TEST_P(TicketLife, PickedSoftwareAndNewSystemsJoinTheCatalogues) {
    auto size = [](const char16_t* endpoint) {
        const ElementPtr list = postCodeParsed(endpoint);
        return Json::asMap(list)->members.size();
    };
    // Files the ticket and gives the member of the new ticket.
    auto created = [](const Members& members, const char16_t* key) {
        EXPECT_EQ(postDocument(u"createticket.php", document(members)), String(u"OK"));
        return Json::memberText(ticket(newestTicketId()), key);
    };
    auto software = [](const String& id, const char16_t* key) {
        return Json::memberText(Json::member(postCodeParsed(u"getsoftwarelist.php"), id), key);
    };
    const size_t softwareBefore = size(u"getsoftwarelist.php");
    const size_t systemsBefore = size(u"getoslist.php");

    Members picked = ticketMembers(u"Wie öffne ich eine Datei in Foo?");
    for (const auto& [key, value] : Members{{u"sw_id", u"0"},
                                            {u"sw_file_desc", u"Foo Editor"},
                                            {u"sw_product_name", u"Foo"},
                                            {u"sw_file_version", u"2.1"},
                                            {u"sw_file_version_full", u"2.1.0.5"},
                                            {u"sw_module_name", u"foo.exe"},
                                            {u"os_major", u"10"},
                                            {u"os_minor", u"0"},
                                            {u"os_build_no", u"26100"},
                                            {u"os_description", u"unknown Windows version"}})
        picked[key] = value;
    const String softwareId = created(picked, u"software_list");
    const String systemId = Json::memberText(ticket(newestTicketId()), u"id_operating_system");
    EXPECT_EQ(size(u"getsoftwarelist.php"), softwareBefore + 1);
    EXPECT_EQ(size(u"getoslist.php"), systemsBefore + 1);
    EXPECT_EQ(software(softwareId, u"file_desc"), String(u"Foo Editor"));
    EXPECT_EQ(software(softwareId, u"file_version_full"), String(u"2.1.0.5"));
    EXPECT_EQ(software(softwareId, u"module_name"), String(u"foo.exe"));
    EXPECT_EQ(software(softwareId, u"supported"), String(u"0"));

    // The same program and system again: no second entry.
    picked[u"question"] = u"Wie speichere ich in Foo?";
    EXPECT_EQ(created(picked, u"id_operating_system"), systemId);
    EXPECT_EQ(Json::memberText(ticket(newestTicketId()), u"software_list"), softwareId);
    EXPECT_EQ(size(u"getsoftwarelist.php"), softwareBefore + 1);
    EXPECT_EQ(size(u"getoslist.php"), systemsBefore + 1);

    // A program without a version resource keeps its module name as its
    // description, so it does not become a second "any software" entry.
    Members bare = ticketMembers(u"Wie drucke ich aus Wines Editor?");
    for (const char16_t* key :
         {u"sw_file_desc", u"sw_product_name", u"sw_file_version", u"sw_file_version_full"})
        bare[key] = String();
    bare[u"sw_id"] = u"0";
    bare[u"sw_module_name"] = u"notepad.exe";
    EXPECT_EQ(software(created(bare, u"software_list"), u"file_desc"), String(u"notepad.exe"));

    // Nothing known at all: the ticket belongs to any software, still one entry.
    bare[u"sw_module_name"] = String();
    EXPECT_EQ(created(bare, u"software_list"), String(u"1"));
    int wildcards = 0;
    const ElementPtr catalogue = postCodeParsed(u"getsoftwarelist.php");
    for (const auto& [id, entry] : Json::asMap(catalogue)->members)
        wildcards +=
            (Json::memberText(entry, u"file_desc") + Json::memberText(entry, u"product_name") +
             Json::memberText(entry, u"file_version"))
                .empty();
    EXPECT_EQ(wildcards, 1);
}
