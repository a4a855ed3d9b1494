#pragma once

#include "server/DataVersion.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

class ConnectionPool;

// The counters for the requests that ask at the same moment, read once for a
// crowd of them: a request takes the result of a read that began after it
// arrived, so it sees every write acknowledged before it came, by this process
// or another on the same database. Up to two reads are under way at a time:
// one alone would make a request that arrives during a read wait for that
// read and then for a whole next one; more would ask the database once per
// request again.
//
// The ticket counts may also come from memory (read with a maximum age): the
// result of a read that began at most that long ago and after the last write
// of this process returned. A process therefore never answers a count older
// than its own acknowledged writes, and sees another process's write at most
// the maximum age after that process acknowledged it, without a query per
// request. (A notification from the database on every change would tell other
// processes sooner, but PostgreSQL serialises the commits of notifying
// transactions, flush included, which would undo the grouping of commits.)
class CounterReader {
  public:
    using Duration = std::chrono::steady_clock::duration;

    // How long after another process acknowledged a write the counts answered
    // here may still lack it.
    static constexpr std::chrono::milliseconds countDelay{50};

    explicit CounterReader(ConnectionPool& pool) : pool(pool) {}

    // False when the database cannot be reached (the reason is logged).
    // `maxAge` zero: from a read that begins after this call.
    bool read(DataVersion& out, Duration maxAge = Duration::zero());

    // A write of this process was committed (or failed): called before its
    // reply goes out, so that no count from memory misses it.
    void wrote();

  private:
    static constexpr int maxReads = 2;

    ConnectionPool& pool;
    std::mutex lock;
    std::condition_variable finishedRead;
    uint64_t started = 0; // reads begun, numbered from 1
    int underWay = 0;
    uint64_t newest = 0; // the highest-numbered read finished, whose result is kept
    bool newestOk = false;
    DataVersion newestVersion;
    std::chrono::steady_clock::time_point newestBegan;
    std::chrono::steady_clock::time_point latestBegan; // of read number `started`
    uint64_t writtenAfter = 0; // reads numbered up to this one may have begun before a write
};
