#include "server/GroupCommit.h"

#include "server/Database.h"
#include "server/ServiceLog.h"

#include <vector>

ServiceReply GroupCommit::run(Database& database, const Work& work) {
    Job job{&work, ServiceReply{}, false};
    std::unique_lock<std::mutex> guard(lock);
    queue.push_back(&job);
    while (!job.done) {
        if (committing) {
            finished.wait(guard);
            continue;
        }
        // Nobody commits: this request takes everything that waits, its own
        // work among it.
        committing = true;
        std::deque<Job*> group;
        group.swap(queue);
        ++groupCount;
        guard.unlock();
        commitGroup(database, group);
        if (groupObserver)
            groupObserver(group.size());
        guard.lock();
        for (Job* member : group)
            member->done = true;
        committing = false;
        finished.notify_all();
    }
    return std::move(job.reply);
}

size_t GroupCommit::waiting() const {
    std::lock_guard<std::mutex> guard(lock);
    return queue.size();
}

uint64_t GroupCommit::groups() const {
    std::lock_guard<std::mutex> guard(lock);
    return groupCount;
}

void GroupCommit::commitGroup(Database& database, std::deque<Job*>& jobs) {
    std::deque<Job*> members = jobs;
    const bool shared = members.size() > 1;
    std::vector<Job*> alone;
    while (Job* lost = commitTogether(database, members)) {
        // Again without the request whose failure ended the transaction.
        if (shared)
            alone.push_back(lost);
        if (members.empty())
            break;
    }
    // Its failure may have come from sharing the transaction (the changes of
    // the whole group, not its own, may have filled the disk or the memory):
    // it runs once more on its own, and its reply is what it earns there.
    for (Job* job : alone) {
        std::deque<Job*> one{job};
        commitTogether(database, one);
    }
}

GroupCommit::Job* GroupCommit::commitTogether(Database& database, std::deque<Job*>& members) {
    Transaction group(database);
    if (!database.inTransaction()) {
        ServiceLog::writef("begin: %s", database.error().c_str());
        for (Job* job : members)
            job->reply = failureReply;
        return nullptr;
    }
    for (auto it = members.begin(); it != members.end(); ++it) {
        Job& job = **it;
        database.clearError();
        job.reply = (*job.work)(database);
        if (database.failed() && job.reply.status >= 500)
            ServiceLog::writef("write: %s", database.error().c_str());
        if (!database.inTransaction()) {
            // The failure ended the transaction and took the work before it
            // along.
            job.reply = failureReply;
            members.erase(it);
            return &job;
        }
    }
    database.clearError();
    if (!group.commit()) {
        ServiceLog::writef("commit: %s", database.error().c_str());
        for (Job* job : members)
            job->reply = failureReply;
    }
    return nullptr;
}
