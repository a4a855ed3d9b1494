#pragma once

#include "server/Gathering.h"
#include "server/ServiceReply.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

class ConnectionPool;
class Database;

// Write requests that arrive together share one transaction and so one flush
// to the disk: the first of them that finds nobody committing runs the work of
// every request waiting at that moment (Gathering.h) on its own connection,
// each in a savepoint of one transaction, and commits. Only the request that
// commits borrows a connection: the others wait without one, so the pool's
// cap does not cap how many requests share a commit. Each request
// gets its reply only after the commit that carries its changes is on disk. A
// request whose own statements fail rolls back its savepoint and is refused
// alone; when a failure ends the whole transaction, the group runs again
// without that request, and that request then once more on its own. For the
// embedded store, where a commit costs a flush of the log and one writer works
// at a time anyway.
class GroupCommit {
  public:
    // The work of one request: its statements on the given connection, inside
    // the group's transaction, and the reply it earns once they are committed.
    using Work = std::function<ServiceReply(Database&)>;

    // `failure` is the reply of a request whose changes could not be committed.
    explicit GroupCommit(ServiceReply failure) : failureReply(std::move(failure)) {}

    // Runs `work` in a group and returns its reply after the group's commit.
    // The caller holds no connection of `pool`; when this call commits the
    // group, it borrows one for the group's transaction.
    ServiceReply run(ConnectionPool& pool, const Work& work);

    // Transactions committed or attempted so far.
    uint64_t groups() const { return gathering.groups(); }
    // Told the number of requests of each group once it is committed (for the
    // metrics); set before the first request.
    void observe(std::function<void(size_t)> observer) { groupObserver = std::move(observer); }

  private:
    std::function<void(size_t)> groupObserver;
    struct Job : Gathering::Member {
        explicit Job(const Work* w) : work(w) {}
        const Work* work;
        ServiceReply reply;
    };

    void commitGroup(ConnectionPool& pool, const Gathering::Group& jobs);
    // One transaction for `members`: the member whose failure ended it, taken
    // out of `members` (the others' work is undone and must run again), or
    // null once committed or failed as a whole.
    std::shared_ptr<Job> commitTogether(Database& database,
                                        std::deque<std::shared_ptr<Job>>& members);

    ServiceReply failureReply;
    Gathering gathering;
};
