#pragma once

#include "server/Store.h"

#include <string>
#include <vector>

// A new ticket through the database function service_create_ticket (Schema.cpp,
// PostgreSQL only): the statements of Store::createTicket in one call and one
// implicit transaction, so a request waits for the database server once
// instead of once per statement.
StoreResult createTicketInOneCall(Database& database, const NewTicket& ticket,
                                  const std::string& clientAddress, int64_t& ticketId);

// One ticket of a call that writes several, and what the call did with it.
struct TicketToCreate {
    const NewTicket* ticket = nullptr;
    const std::string* clientAddress = nullptr;
    StoreResult result = StoreResult::Failed;
    int64_t ticketId = 0;
};

// Several new tickets through service_create_tickets: one call, one
// transaction and one commit for all of them, each refused or written as
// createTicketInOneCall would. False when the call failed as a whole (the
// error in `database`): then none of them is written.
bool createTicketsInOneCall(Database& database, const std::vector<TicketToCreate*>& tickets);
