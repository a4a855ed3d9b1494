// The program's own code for asking a question, against the real service: the
// catalogue and ticket downloads, the new ticket, the count rule and the version
// gate.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "ServiceTestTools.h"
#include "app/SoftwareCatalogue.h"
#include "app/VersionGate.h"
#include "service/CatalogueReload.h"
#include "service/CreateTicketRequest.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"

using namespace ServiceTestTools;

namespace {

using AskQuestion = ServiceFixture;

} // namespace

TEST_F(AskQuestion, NewTicketReachesTheServiceAndComesBackAfterTheCountReload) {
    SoftwareCatalogue& software = SoftwareCatalogue::instance();
    TicketList& tickets = TicketList::instance();
    reloadCatalogues();
    ASSERT_GT(software.count(), 0);
    ASSERT_GT(tickets.count(), 0);
    EXPECT_NE(software.wildcardId(), 0);
    EXPECT_FALSE(fetchTicketCount().reload);

    // The question search over the demo data offers only tickets in state 2 or 3.
    std::vector<Ticket> offered;
    tickets.search(offered, String(), software.wildcardId(), 1);
    EXPECT_FALSE(offered.empty());
    for (const Ticket& t : offered) {
        EXPECT_TRUE(t.id_state == 2 || t.id_state == 3) << t.id;
        EXPECT_EQ(t.id_locale, 1);
    }

    // A catalogued software with a version, and a question with a line break,
    // quotes, an ampersand, a percent sign and umlauts.
    const SoftwareEntry* chosen = nullptr;
    for (const auto& [id, entry] : software)
        if (!chosen && id != software.wildcardId() && !entry.file_version.empty())
            chosen = &entry;
    ASSERT_NE(chosen, nullptr);
    const int softwareId = chosen->id;
    const String question = u"Wie drucke ich \"alles\" aus?\nZweite Zeile & 100% = äöü";
    const int before = tickets.count();
    CreateTicketRequest request = CreateTicketRequest::forThisComputer(question, *chosen, 1);
    const String reply = request.send();
    ASSERT_TRUE(createTicketSucceeded(reply)) << utf8(reply);
    EXPECT_EQ(
        queryText(service.databasePath(), "SELECT question FROM ticket ORDER BY id DESC LIMIT 1"),
        utf8(question));

    TicketCountUpdate update = fetchTicketCount();
    EXPECT_TRUE(update.show);
    EXPECT_EQ(update.total, before + 1);
    EXPECT_TRUE(update.reload);
    reloadCatalogues();
    EXPECT_EQ(tickets.count(), before + 1);
    EXPECT_FALSE(fetchTicketCount().reload);

    const Ticket& created = std::prev(tickets.end())->second;
    EXPECT_EQ(created.question, question);
    EXPECT_EQ(created.questionLower, question.lower());
    EXPECT_EQ(created.id_state, 1);
    EXPECT_EQ(created.id_locale, 1);
    EXPECT_EQ(created.software_list, (std::set<int>{softwareId}));
    std::set<int> locales;
    tickets.localesFor(softwareId, locales);
    EXPECT_TRUE(locales.count(1));
    // An open ticket is not offered until a solution was recorded.
    std::vector<Ticket> found;
    tickets.search(found, u"ZWEITE zeile", softwareId, 1);
    EXPECT_TRUE(found.empty());
}

TEST_F(AskQuestion, VersionGateAgainstTheService) {
    std::vector<String> shown;
    VersionGate gate;
    gate.fetch = fetchCurrentVersion;
    gate.wait = [](int) { ADD_FAILURE() << "the service answered; nothing to wait for"; };
    gate.showNewVersion = [&shown](const String&, const String& newer) {
        shown.push_back(newer);
        return false;
    };
    EXPECT_TRUE(gate.check(u"1.0.2"));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(gate.check(u"1.0.1"));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], String(u"1.0.2"));
}

TEST_F(AskQuestion, RefusedTicketShowsTheServiceText) {
    SoftwareEntry none;
    CreateTicketRequest request = CreateTicketRequest::forThisComputer(u"", none, 1);
    const String reply = request.send();
    EXPECT_FALSE(createTicketSucceeded(reply));
    EXPECT_FALSE(reply.empty());
    EXPECT_TRUE(
        createTicketFailureText(reply).startsWith(u"Das Ticket konnte nicht angelegt werden: "));
}
