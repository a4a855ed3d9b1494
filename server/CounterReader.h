#pragma once

#include "server/DataVersion.h"

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
class CounterReader {
  public:
    explicit CounterReader(ConnectionPool& pool) : pool(pool) {}

    // False when the database cannot be reached (the reason is logged).
    bool read(DataVersion& out);

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
};
