#include "server/TicketBatch.h"

#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/ServiceLog.h"

#include <algorithm>
#include <memory>
#include <vector>

StoreResult TicketBatch::create(ConnectionPool& pool, const NewTicket& ticket,
                                const std::string& clientAddress, int64_t& ticketId) {
    auto entry = std::make_shared<Entry>();
    entry->ticket = &ticket;
    entry->clientAddress = &clientAddress;
    gathering.join(entry, [&](Gathering::Group& group) {
        write(pool, group);
        if (groupObserver)
            groupObserver(group.size());
    });
    ticketId = entry->ticketId;
    return entry->result;
}

void TicketBatch::write(ConnectionPool& pool, const Gathering::Group& group) {
    std::vector<TicketToCreate*> tickets;
    for (const std::shared_ptr<Gathering::Member>& member : group)
        tickets.push_back(static_cast<Entry*>(member.get()));
    ConnectionPool::Lease lease = pool.acquire();
    if (!lease.get()) {
        ServiceLog::writef("cannot open the database: %s", pool.openError().c_str());
        return;
    }
    Database& database = *lease.get();
    for (size_t first = 0; first < tickets.size(); first += maxTickets) {
        const size_t count = std::min(maxTickets, tickets.size() - first);
        const std::vector<TicketToCreate*> part(tickets.begin() + first,
                                                tickets.begin() + first + count);
        if (count > 1) {
            if (createTicketsInOneCall(database, part)) {
                if (database.failed())
                    ServiceLog::writef("createticket: %s", database.error().c_str());
                continue;
            }
            ServiceLog::writef("createticket, %zu tickets in one call: %s; each once more alone",
                               count, database.error().c_str());
        }
        for (TicketToCreate* t : part) {
            t->result = createTicketInOneCall(database, *t->ticket, *t->clientAddress, t->ticketId);
            if (t->result == StoreResult::Failed)
                ServiceLog::writef("createticket: %s", database.error().c_str());
        }
    }
}
