// Every endpoint over HTTPS against the demo data, read the way the program
// reads the replies.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "ServiceTestTools.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"

#include <map>
#include <set>

using namespace ServiceTestTools;

namespace {

using Endpoints = ServiceFixture;

size_t memberCount(const ElementPtr& map) {
    return Json::asMap(map) ? Json::asMap(map)->members.size() : 0;
}

String text(const ElementPtr& map, const char16_t* key) {
    return Json::memberText(map, key);
}

} // namespace

TEST_F(Endpoints, VersionAnswersGetOnlyAndLanguagesComeGermanFirst) {
    EXPECT_EQ(ServiceClient::send(u"localhost", u"curversion.php", String(), String(), u"GET"),
              String(u"1.0.2"));
    EXPECT_EQ(request(service.port(), "/curversion.php", "POST", "x=1").status, 405);

    ElementPtr locales = postCodeParsed(u"getlocalelist.php");
    EXPECT_EQ(memberCount(locales), 3u);
    ElementPtr german = Json::member(locales, u"1");
    EXPECT_EQ(text(german, u"microsoft_lcid"), String(u"1031"));
    EXPECT_EQ(text(german, u"description"), String(u"Deutsch"));
    EXPECT_EQ(text(Json::member(locales, u"2"), u"microsoft_lcid"), String(u"1033"));
    EXPECT_EQ(text(Json::member(locales, u"3"), u"description"), String(u"Français"));

    // The program's own catalogue download reads the same reply.
    LocaleCatalogue::instance().download(1031);
    EXPECT_EQ(LocaleCatalogue::instance().count(), 3);
    EXPECT_EQ(LocaleCatalogue::instance().defaultLocaleId(), 1);
}

TEST_F(Endpoints, OperatingSystemsIncludeWhatWineReports) {
    ElementPtr systems = postCodeParsed(u"getoslist.php");
    ASSERT_GE(memberCount(systems), 4u);
    bool wine = false;
    for (const auto& [key, entry] : Json::asMap(systems)->members) {
        EXPECT_GT(key.toInt(), 0);
        EXPECT_EQ(text(entry, u"id_platform"), String(u"2"));
        if (text(entry, u"desc") == String(u"Windows 7")) {
            wine = true;
            EXPECT_EQ(text(entry, u"major"), String(u"6"));
            EXPECT_EQ(text(entry, u"minor"), String(u"1"));
            EXPECT_EQ(text(entry, u"build_no"), String(u"7601"));
        }
    }
    EXPECT_TRUE(wine);
    OsCatalogue::instance().download();
    EXPECT_EQ(OsCatalogue::instance().count(), static_cast<int>(memberCount(systems)));
}

TEST_F(Endpoints, SoftwareCatalogueHasTheWildcardAndNotepad) {
    ElementPtr software = postCodeParsed(u"getsoftwarelist.php");
    ASSERT_GE(memberCount(software), 10u);
    int wildcards = 0;
    bool notepad = false;
    for (const auto& [key, entry] : Json::asMap(software)->members) {
        for (const char16_t* field : {u"id_locale", u"file_desc", u"product_name", u"file_version",
                                      u"file_version_full", u"supported", u"module_name"})
            EXPECT_TRUE(Json::member(entry, field))
                << "member " << utf8(field) << " of " << key.toInt();
        if (text(entry, u"file_desc").empty() && text(entry, u"product_name").empty() &&
            text(entry, u"file_version").empty()) {
            ++wildcards;
            EXPECT_EQ(key, String(u"1"));
        }
        if (text(entry, u"module_name") == String(u"notepad.exe") &&
            text(entry, u"product_name") == String(u"Wine"))
            notepad = true;
    }
    EXPECT_EQ(wildcards, 1);
    EXPECT_TRUE(notepad);
    EXPECT_EQ(text(Json::member(software, u"2"), u"file_desc"), String(u"Windows 10"));
    EXPECT_EQ(text(Json::member(software, u"3"), u"file_desc"), String(u"Windows 11"));
}

TEST_F(Endpoints, TicketListMatchesTheCountAndEverySolvedTicketHasItsCapture) {
    ElementPtr tickets = postCodeParsed(u"gettickets.php");
    ElementPtr count = postCodeParsed(u"getticketcnt.php");
    const int total = Json::memberInt(count, u"total");
    EXPECT_GE(total, 40);
    EXPECT_EQ(static_cast<int>(memberCount(tickets)), total);

    std::set<int> states;
    std::map<int, std::set<int>> localesOfSoftware;
    int open = 0;
    for (const auto& [key, entry] : Json::asMap(tickets)->members) {
        const int state = Json::memberInt(entry, u"id_state");
        states.insert(state);
        open += state == 1;
        EXPECT_FALSE(text(entry, u"question").empty());
        EXPECT_EQ(text(entry, u"timestamp_created").length(), 19) << key.toInt();
        EXPECT_GT(Json::memberInt(entry, u"id_operating_system"), 0);
        const String list = text(entry, u"software_list");
        ASSERT_FALSE(list.empty());
        int from = 0;
        while (true) {
            const int semicolon = list.find(u";", from);
            const int id = list.substr(from, semicolon < 0 ? -1 : semicolon - from).toInt();
            EXPECT_GT(id, 0);
            localesOfSoftware[id].insert(Json::memberInt(entry, u"id_locale"));
            if (semicolon < 0)
                break;
            from = semicolon + 1;
        }
        const int capture = Json::memberInt(entry, u"id_capture");
        if (state == 2 || state == 3) {
            ASSERT_GT(capture, 0) << "ticket " << key.toInt();
            const String reply =
                ServiceClient::post(u"getcapture.php", ServiceClient::codeAndCaptureBody(capture));
            EXPECT_GT(Json::memberInt(Json::parseText(reply), u"trace_cnt"), 0);
        } else {
            EXPECT_EQ(capture, 0);
        }
    }
    EXPECT_EQ(Json::memberInt(count, u"unsolved"), open);
    EXPECT_EQ(states, (std::set<int>{1, 2, 3, 4}));
    // VLC (10) has English questions only.
    EXPECT_EQ(localesOfSoftware[10], (std::set<int>{2}));
    EXPECT_TRUE(localesOfSoftware[1].count(1) && localesOfSoftware[1].count(2));
}

TEST_F(Endpoints, NotepadCaptureCanBePlayedUnderWine) {
    ElementPtr tickets = postCodeParsed(u"gettickets.php");
    ElementPtr first = Json::member(tickets, u"1");
    EXPECT_EQ(text(first, u"question"), String(u"Wie schreibe ich einen Text in den Editor?"));
    EXPECT_EQ(text(first, u"id_state"), String(u"2"));
    EXPECT_EQ(text(first, u"software_list"), String(u"4"));

    const String reply = ServiceClient::post(
        u"getcapture.php",
        ServiceClient::codeAndCaptureBody(Json::memberInt(first, u"id_capture")));
    ElementPtr capture = Json::parseText(reply);
    ASSERT_EQ(Json::memberInt(capture, u"trace_cnt"), 3);
    ElementPtr click = Json::member(capture, u"0");
    EXPECT_EQ(Json::memberInt(click, u"id_action"), 2);
    ASSERT_EQ(Json::memberInt(click, u"elem_cnt"), 3);
    EXPECT_EQ(text(click, u"entered_text"), String());
    ElementPtr edit = Json::member(click, u"0");
    EXPECT_EQ(text(edit, u"class_name"), String(u"Edit"));
    EXPECT_EQ(text(edit, u"module_name"), String(u"notepad.exe"));
    EXPECT_TRUE(Json::member(edit, u"automation_id"));
    EXPECT_TRUE(Json::member(edit, u"name"));
    EXPECT_EQ(text(Json::member(click, u"1"), u"class_name"), String(u"Notepad"));
    EXPECT_EQ(text(Json::member(click, u"2"), u"class_name"), String(u"#32769"));

    ElementPtr typed = Json::member(capture, u"1");
    EXPECT_EQ(Json::memberInt(typed, u"id_action"), 7);
    EXPECT_EQ(Json::memberInt(typed, u"elem_cnt"), 0);
    EXPECT_EQ(text(typed, u"entered_text"), String(u"HALLO"));
    EXPECT_EQ(Json::memberInt(Json::member(capture, u"2"), u"id_action"), 6);
}

TEST_F(Endpoints, RequestTargetWithoutLeadingSlashIsServed) {
    const std::string body = utf8(ServiceClient::codeBody());
    RawReply withSlash = request(service.port(), "/getticketcnt.php", "POST", body);
    RawReply without = request(service.port(), "getticketcnt.php", "POST", body);
    EXPECT_EQ(withSlash.status, 200);
    EXPECT_EQ(without.status, 200);
    EXPECT_EQ(without.body, withSlash.body);
    EXPECT_EQ(request(service.port(), "curversion.php", "GET", "").body, "1.0.2");
}
