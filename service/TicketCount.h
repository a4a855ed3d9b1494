#pragma once

#include "base/String.h"

// What the ticket count ("getticketcnt.php") asks of the main window. The window
// layer shows `unsolvedText` beside "Tickets warten auf deine Hilfe!" and, when
// `reload` is set, reloads the catalogues (reloadCatalogues) and refills the
// language box.
struct TicketCountUpdate {
    bool show = false; // false: the request failed; nothing changes
    int unsolved = 0;
    int total = 0;
    String unsolvedText; // unsolved as "%i"
    bool reload = false; // the service's total differs from the tickets in memory
};

// Decides from the reply and the number of tickets in memory. An empty reply or one
// whose document has no members changes nothing.
TicketCountUpdate decideTicketCount(const String& reply, int ticketsInMemory);

// Sends the count request and decides against the process-wide ticket list.
TicketCountUpdate fetchTicketCount();
