#pragma once

#include "server/Store.h"

// A new ticket through the database function service_create_ticket (Schema.cpp,
// PostgreSQL only): the statements of Store::createTicket in one call and one
// implicit transaction, so a request waits for the database server once
// instead of once per statement.
StoreResult createTicketInOneCall(Database& database, const NewTicket& ticket,
                                  const std::string& clientAddress, int64_t& ticketId);
