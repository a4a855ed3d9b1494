#include "server/CounterReader.h"

#include "server/ConnectionPool.h"
#include "server/Database.h"

#include <cstdio>

bool CounterReader::read(DataVersion& out, Duration maxAge) {
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> guard(lock);
    // Reads numbered up to `arrived` may have begun before this request came:
    // only a later one answers it.
    uint64_t arrived = started;
    if (maxAge > Duration::zero()) {
        // Or one that began recently enough and after this process's last write:
        // the newest finished one, else the latest begun if it is under way.
        const Clock::time_point now = Clock::now();
        if (newestOk && newest > writtenAfter && now - newestBegan <= maxAge) {
            out = newestVersion;
            return true;
        }
        if (started > writtenAfter && now - latestBegan <= maxAge)
            arrived = started - 1;
    }
    while (newest <= arrived) {
        if (underWay >= maxReads) {
            finishedRead.wait(guard);
            continue;
        }
        ++underWay;
        const uint64_t mine = ++started;
        const Clock::time_point began = Clock::now();
        latestBegan = began;
        guard.unlock();
        DataVersion version;
        bool ok = false;
        {
            ConnectionPool::Lease lease = pool.acquire();
            if (!lease.get()) {
                std::fprintf(stderr, "lotse-service: cannot open the database: %s\n",
                             pool.openError().c_str());
            } else {
                lease.get()->clearError();
                ok = readDataVersion(*lease.get(), version);
                if (!ok)
                    std::fprintf(stderr, "lotse-service: counters: %s\n",
                                 lease.get()->error().c_str());
            }
        }
        guard.lock();
        --underWay;
        // A read that began earlier and ended later keeps nobody waiting
        // longer, but must not replace the newer result.
        if (mine > newest) {
            newest = mine;
            newestOk = ok;
            newestVersion = version;
            newestBegan = began;
        }
        finishedRead.notify_all();
        if (mine > arrived) {
            out = newestVersion;
            return newestOk;
        }
    }
    out = newestVersion;
    return newestOk;
}

void CounterReader::wrote() {
    std::lock_guard<std::mutex> guard(lock);
    writtenAfter = started;
}
