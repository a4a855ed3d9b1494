#include "server/TicketBatch.h"

#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/ServiceLog.h"

#include <memory>
#include <vector>

namespace {

size_t textBytes(const NewTicket& t) {
    return t.question.size() + t.hwGuid.size() + t.username.size() + t.swFileDesc.size() +
           t.swProductName.size() + t.swFileVersion.size() + t.swFileVersionFull.size() +
           t.swModuleName.size() + t.os.description.size();
}

} // namespace

StoreResult TicketBatch::create(ConnectionPool& pool, const NewTicket& ticket,
                                const std::string& clientAddress, int64_t& ticketId) {
    auto entry = std::make_shared<Entry>();
    entry->ticket = &ticket;
    entry->clientAddress = &clientAddress;
    const bool served = gathering.join(entry, [&](Gathering::Group& group) {
        write(pool, group);
        if (groupObserver)
            groupObserver(group.size());
    });
    if (!served) {
        ServiceLog::write("createticket: a group of new tickets ended by an exception");
        return StoreResult::Failed;
    }
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
    for (size_t first = 0, end = 0; first < tickets.size(); first = end) {
        size_t bytes = 0;
        for (end = first; end < tickets.size() && end - first < maxTickets; ++end) {
            bytes += textBytes(*tickets[end]->ticket);
            if (bytes > maxBytes && end > first)
                break;
        }
        const std::vector<TicketToCreate*> part(tickets.begin() + first, tickets.begin() + end);
        const size_t count = part.size();
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
