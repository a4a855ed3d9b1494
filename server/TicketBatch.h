#pragma once

#include "server/Gathering.h"
#include "server/Store.h"
#include "server/TicketFunction.h"

#include <cstddef>
#include <functional>
#include <string>

class ConnectionPool;

// New tickets on PostgreSQL that arrive together are written by one call of
// service_create_tickets (Schema.cpp): one round trip, one transaction and one
// commit for the group instead of one for each, which is most of what a new
// ticket costs the database server. The first request that finds nobody
// writing writes every ticket waiting at that moment (Gathering.h), on a
// connection it borrows; the others wait without one. Each is answered after
// the commit that carries it. When the call fails as a whole (one ticket's
// error, a deadlock with another process's group), nothing of it is written
// and each ticket is written once more on its own, so that it gets the result
// it earns alone.
class TicketBatch {
  public:
    // At most this many tickets, and about this many bytes of their texts, go
    // in one call; more that wait go in the next.
    static constexpr size_t maxTickets = 64;
    static constexpr size_t maxBytes = 4 * 1024 * 1024;

    // Writes `ticket` in a group and returns its result after the group's
    // commit; failures are written to the service log.
    StoreResult create(ConnectionPool& pool, const NewTicket& ticket,
                       const std::string& clientAddress, int64_t& ticketId);

    // Groups written or attempted so far.
    uint64_t groups() const { return gathering.groups(); }
    // Tickets that wait for the group under way to be written.
    size_t waiting() const { return gathering.waiting(); }
    // Told the number of tickets of each group once it is written (for the
    // metrics); set before the first request.
    void observe(std::function<void(size_t)> observer) { groupObserver = std::move(observer); }

  private:
    struct Entry : Gathering::Member, TicketToCreate {};

    void write(ConnectionPool& pool, const Gathering::Group& group);

    std::function<void(size_t)> groupObserver;
    Gathering gathering;
};
