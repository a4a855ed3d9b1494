#pragma once

#include "base/String.h"
#include "base/Json.h"

#include <vector>

// The once-a-minute question whether tickets of this user were solved
// ("checkticket.php"), and what its reply asks of the program.

// The request document: "code", "hw_guid", "username".
ElementPtr solvedTicketCheckDocument(const String& hwGuid, const String& username);

struct SolvedTicketReport {
    // The reply named tickets (any member at all): the ticket count and the ticket
    // list are loaded again before the ids are announced.
    bool reload = false;
    // The positive ids among the reply's keys, in key order, one notification each.
    std::vector<int> ticketIds;
};

// A short reply holding "OK" means nothing was solved; otherwise the reply is an
// object whose keys are the solved tickets' ids (the values are not read).
SolvedTicketReport readSolvedTicketReply(const String& reply);

// Sends the check for this computer's user and reads the reply.
SolvedTicketReport checkSolvedTickets();
