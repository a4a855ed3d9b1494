// The endpoints over HTTPS against the demo data, through the program's own
// downloads, ticket request and count rule.

#include "../StringPrinter.h"
#include "Gunzip.h"
#include "ServiceFixture.h"
#include "service/SoftwareCatalogue.h"
#include "service/CaptureDownload.h"
#include "service/CatalogueReload.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/TicketList.h"

using Endpoints = ServiceFixture;
INSTANTIATE_TEST_SUITE_P(Stores, Endpoints, bothStores(), storeName);

TEST_P(Endpoints, CataloguesOfTheDemoData) {
    EXPECT_EQ(ServiceClient::send(u"localhost", u"curversion.php", String(), String(), u"GET"),
              String(u"1.0.2"));
    EXPECT_EQ(request(service.port(), "/curversion.php", "POST", "x=1").status, 405);
    // WinINet may send the request target without its leading slash.
    EXPECT_EQ(
        request(service.port(), "getticketcnt.php", "POST", utf8(ServiceClient::codeBody())).body,
        utf8(postCode(u"getticketcnt.php")));

    reloadCatalogues();
    LocaleCatalogue& locales = LocaleCatalogue::instance();
    locales.download(1031);
    ASSERT_EQ(locales.count(), 3);
    EXPECT_EQ(locales.defaultLocaleId(), 1);
    EXPECT_EQ(locales.get(1).description, String(u"Deutsch"));
    EXPECT_EQ(locales.get(2).microsoftLcid, 1033);
    EXPECT_EQ(locales.get(3).description, String(u"Français"));

    bool wine = false; // the system Wine reports
    EXPECT_GE(OsCatalogue::instance().count(), 4);
    for (const auto& [id, os] : OsCatalogue::instance()) {
        EXPECT_EQ(os.idPlatform, 2) << id;
        wine |=
            os.desc == String(u"Windows 7") && os.major == 6 && os.minor == 1 && os.buildNo == 7601;
    }
    EXPECT_TRUE(wine);

    ElementPtr software = postCodeParsed(u"getsoftwarelist.php");
    for (const auto& [key, entry] : Json::asMap(software)->members) {
        for (const char16_t* field : {u"id_locale", u"file_desc", u"product_name", u"file_version",
                                      u"file_version_full", u"supported", u"module_name"})
            EXPECT_TRUE(Json::member(entry, field)) << utf8(field) << " of " << utf8(key);
    }
    EXPECT_GE(SoftwareCatalogue::instance().count(), 10);
}

TEST_P(Endpoints, TicketsMatchTheCountSolvedOnesHaveCapturesAndNewOnesComeBack) {
    reloadCatalogues();
    ElementPtr count = postCodeParsed(u"getticketcnt.php");
    TicketList& tickets = TicketList::instance();
    EXPECT_GE(tickets.count(), 40);
    EXPECT_EQ(tickets.count(), Json::memberInt(count, u"total"));
    std::set<int> states;
    int open = 0;
    for (auto& [id, ticket] : tickets) {
        states.insert(ticket.id_state);
        open += ticket.id_state == TicketOpen;
        EXPECT_FALSE(ticket.question.empty()) << id;
        EXPECT_EQ(ticket.timestamp_created.length(), 19) << id;
        EXPECT_GT(ticket.id_operating_system, 0) << id;
        EXPECT_FALSE(ticket.software_list.empty() || ticket.software_list.count(0)) << id;
        if (ticket.id_state == TicketSolved || ticket.id_state == TicketConfirmed) {
            Ticket copy = ticket;
            EXPECT_TRUE(downloadCapture(copy) && !copy.capture.actions.empty()) << id;
        } else {
            EXPECT_EQ(ticket.id_capture, 0) << id;
        }
    }
    EXPECT_EQ(Json::memberInt(count, u"unsolved"), open);
    EXPECT_EQ(states, (std::set<int>{1, 2, 3, 4}));
    std::set<int> vlc; // VLC (10) has English questions only
    tickets.localesFor(10, vlc);
    EXPECT_EQ(vlc, (std::set<int>{2}));
}

// The ticket list, 25 MB at 100 000 tickets, goes out compressed to a client
// that accepts it, the program's own download included, and is as fresh as the
// plain one.
TEST_P(Endpoints, TheTicketListGoesOutCompressedToAClientThatAcceptsIt) {
    const std::string code = utf8(ServiceClient::codeBody());
    const std::string form = "Content-Type: application/x-www-form-urlencoded; charset=utf-8";
    auto plain = [&] { return request(service.port(), "/gettickets.php", "POST", code).body; };
    auto zipped = [&](const char* accepted) {
        return request(service.port(), "/gettickets.php", "POST", code,
                       {form, std::string("Accept-Encoding: ") + accepted})
            .body;
    };
    auto programsDownload = [] {
        std::string bytes;
        EXPECT_TRUE(ServiceClient::postPieces(u"gettickets.php", ServiceClient::codeBody(),
                                              [&](std::string_view piece) { bytes += piece; }));
        return bytes;
    };

    const std::string before = plain();
    ASSERT_EQ(before.substr(0, 2), "{\"");
    const std::string compressed = zipped("gzip, deflate");
    EXPECT_LT(compressed.size() * 3, before.size());
    EXPECT_EQ(gunzip(compressed), before);
    EXPECT_EQ(zipped("gzip;q=0, identity"), before);
    EXPECT_EQ(programsDownload(), before);

    ASSERT_EQ(postDocument(u"createticket.php", document(ticketMembers(u"Komprimiert gesendet?"))),
              String(u"OK"));
    const std::string after = plain();
    EXPECT_NE(after.find("Komprimiert gesendet?"), std::string::npos);
    EXPECT_EQ(gunzip(zipped("gzip")), after);
    EXPECT_EQ(programsDownload(), after);
}
