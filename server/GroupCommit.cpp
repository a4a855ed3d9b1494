#include "server/GroupCommit.h"

#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/ServiceLog.h"

#include <vector>

ServiceReply GroupCommit::run(ConnectionPool& pool, const Work& work) {
    // Shared with the committing thread, which may still wake it after its
    // caller has its reply.
    auto job = std::make_shared<Job>(&work);
    std::unique_lock<std::mutex> guard(lock);
    queue.push_back(job);
    if (committing) {
        guard.unlock();
        // Woken once: its group is committed, or it commits the next group.
        int state;
        {
            std::unique_lock<std::mutex> own(job->lock);
            job->changed.wait(own, [&] { return job->state != Job::waiting; });
            state = job->state;
        }
        if (state == Job::done)
            return std::move(job->reply);
        guard.lock();
    }
    // This request commits: it takes everything that waits, its own work among it.
    committing = true;
    std::deque<std::shared_ptr<Job>> group;
    group.swap(queue);
    ++groupCount;
    guard.unlock();
    commitGroup(pool, group);
    if (groupObserver)
        groupObserver(group.size());
    guard.lock();
    // The first request that came meanwhile commits the next group; only the
    // requests concerned are woken, each by itself.
    std::shared_ptr<Job> next = queue.empty() ? nullptr : queue.front();
    committing = next != nullptr;
    guard.unlock();
    if (next)
        wake(*next, Job::commits);
    for (const std::shared_ptr<Job>& member : group) {
        if (member != job)
            wake(*member, Job::done);
    }
    return std::move(job->reply);
}

void GroupCommit::wake(Job& job, int state) {
    {
        std::lock_guard<std::mutex> own(job.lock);
        job.state = state;
    }
    // Outside the lock, so that the woken request does not wait for it again;
    // the committer keeps the job alive meanwhile.
    job.changed.notify_one();
}

uint64_t GroupCommit::groups() const {
    std::lock_guard<std::mutex> guard(lock);
    return groupCount;
}

void GroupCommit::commitGroup(ConnectionPool& pool, std::deque<std::shared_ptr<Job>>& jobs) {
    ConnectionPool::Lease lease = pool.acquire();
    if (!lease.get()) {
        ServiceLog::writef("cannot open the database: %s", pool.openError().c_str());
        for (const std::shared_ptr<Job>& job : jobs)
            job->reply = failureReply;
        return;
    }
    Database& database = *lease.get();
    std::deque<std::shared_ptr<Job>> members = jobs;
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
