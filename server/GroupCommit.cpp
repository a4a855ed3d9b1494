#include "server/GroupCommit.h"

#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/ServiceLog.h"

#include <vector>

ServiceReply GroupCommit::run(ConnectionPool& pool, const Work& work) {
    // Shared with the committing thread, which may still wake it after its
    // caller has its reply.
    auto job = std::make_shared<Job>(&work);
    const bool served = gathering.join(job, [&](Gathering::Group& group) {
        commitGroup(pool, group);
        if (groupObserver)
            groupObserver(group.size());
    });
    if (!served) {
        // The exception ended the group's transaction before its commit.
        ServiceLog::write("write: a group of writes ended by an exception");
        return failureReply;
    }
    return std::move(job->reply);
}

void GroupCommit::commitGroup(ConnectionPool& pool, const Gathering::Group& jobs) {
    std::deque<std::shared_ptr<Job>> members;
    for (const std::shared_ptr<Gathering::Member>& job : jobs)
        members.push_back(std::static_pointer_cast<Job>(job));
    ConnectionPool::Lease lease = pool.acquire();
    if (!lease.get()) {
        ServiceLog::writef("cannot open the database: %s", pool.openError().c_str());
        for (const std::shared_ptr<Job>& job : members)
            job->reply = failureReply;
        return;
    }
    Database& database = *lease.get();
    const bool shared = members.size() > 1;
    std::vector<std::shared_ptr<Job>> alone;
    while (std::shared_ptr<Job> lost = commitTogether(database, members)) {
        // Again without the request whose failure ended the transaction.
        if (shared)
            alone.push_back(lost);
        if (members.empty())
            break;
    }
    // Its failure may have come from sharing the transaction (the changes of
    // the whole group, not its own, may have filled the disk or the memory):
    // it runs once more on its own, and its reply is what it earns there.
    for (const std::shared_ptr<Job>& job : alone) {
        std::deque<std::shared_ptr<Job>> one{job};
        commitTogether(database, one);
    }
}

std::shared_ptr<GroupCommit::Job>
GroupCommit::commitTogether(Database& database, std::deque<std::shared_ptr<Job>>& members) {
    Transaction group(database);
    if (!database.inTransaction()) {
        ServiceLog::writef("begin: %s", database.error().c_str());
        for (const std::shared_ptr<Job>& job : members)
            job->reply = failureReply;
        return nullptr;
    }
    for (auto it = members.begin(); it != members.end(); ++it) {
        const std::shared_ptr<Job> job = *it;
        database.clearError();
        job->reply = (*job->work)(database);
        if (database.failed() && job->reply.status >= 500)
            ServiceLog::writef("write: %s", database.error().c_str());
        if (!database.inTransaction()) {
            // The failure ended the transaction and took the work before it
            // along.
            job->reply = failureReply;
            members.erase(it);
            return job;
        }
    }
    database.clearError();
    if (!group.commit()) {
        ServiceLog::writef("commit: %s", database.error().c_str());
        for (const std::shared_ptr<Job>& job : members)
            job->reply = failureReply;
    }
    return nullptr;
}
