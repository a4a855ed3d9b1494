#include "server/CounterReader.h"

#include "server/ConnectionPool.h"
#include "server/Database.h"

#include <cstdio>

bool CounterReader::read(DataVersion& out) {
    std::unique_lock<std::mutex> guard(lock);
    // A read under way may have begun before this request arrived: only the
    // next one counts.
    const uint64_t needed = started + 1;
    while (finished < needed) {
        if (reading) {
            finishedRead.wait(guard);
            continue;
        }
        reading = true;
        const uint64_t mine = ++started;
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
        latest = version;
        latestOk = ok;
        finished = mine;
        reading = false;
        finishedRead.notify_all();
    }
    out = latest;
    return latestOk;
}
