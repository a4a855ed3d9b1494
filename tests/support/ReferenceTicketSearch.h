#pragma once

#include "base/Words.h"
#include "service/TicketList.h"

#include <vector>

// The question search as the ticket list did it before it kept a search index:
// every ticket in id order, tested one after the other, copies of the matches.
// The index must find exactly these tickets in this order.
inline void referenceTicketSearch(const TicketList& list, std::vector<Ticket>& out,
                                  const String& query, int softwareId, int localeId) {
    out.clear();
    if (query.length() == 1 || query.length() == 2)
        return;
    const std::vector<String> words = splitWords(query.lower());
    for (const auto& [id, ticket] : list) {
        if (ticket.id_locale != localeId || !ticket.offeredBySearch())
            continue;
        if (!list.belongsTo(ticket, softwareId))
            continue;
        if (containsAllWords(ticket.question.lower(), words))
            out.push_back(ticket);
    }
}
