// The program's own code for asking a question, against the real service: the
// new ticket, the count rule that reloads the lists, and the version gate.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "app/SoftwareCatalogue.h"
#include "app/VersionGate.h"
#include "service/CatalogueReload.h"
#include "service/CreateTicketRequest.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"

using AskQuestion = ServiceFixture;

TEST_F(AskQuestion, NewTicketReachesTheServiceAndComesBackAfterTheCountReload) {
    TicketList& tickets = TicketList::instance();
    reloadCatalogues();
    EXPECT_FALSE(fetchTicketCount().reload);
    const int before = tickets.count();

    const SoftwareEntry chosen = SoftwareCatalogue::instance().entry(10);
    ASSERT_FALSE(chosen.file_version.empty());
    const String question = u"Wie drucke ich \"alles\" aus?\nZweite Zeile & 100% = äöü";
    const String reply = CreateTicketRequest::forThisComputer(question, chosen, 1).send();
    ASSERT_TRUE(createTicketSucceeded(reply)) << utf8(reply);

    TicketCountUpdate update = fetchTicketCount();
    EXPECT_TRUE(update.show);
    EXPECT_EQ(update.total, before + 1);
    EXPECT_TRUE(update.reload);
    reloadCatalogues();
    EXPECT_EQ(tickets.count(), before + 1);
    EXPECT_FALSE(fetchTicketCount().reload);
    const Ticket& created = std::prev(tickets.end())->second;
    EXPECT_EQ(created.question, question);
    EXPECT_EQ(created.id_state, TicketWaiting);
    EXPECT_EQ(created.id_locale, 1);
    EXPECT_EQ(created.software_list, (std::set<int>{10}));

    // Refused: the service's text is shown.
    const String refused = CreateTicketRequest::forThisComputer(u"", SoftwareEntry(), 1).send();
    EXPECT_FALSE(createTicketSucceeded(refused));
    EXPECT_EQ(createTicketFailureText(refused),
              String(u"Das Ticket konnte nicht angelegt werden: Fehler: die Frage ist leer"));
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
    EXPECT_FALSE(gate.check(u"1.0.1"));
    EXPECT_EQ(shown, (std::vector<String>{u"1.0.2"}));
}
