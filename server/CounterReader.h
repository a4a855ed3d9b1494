#pragma once

#include "server/DataVersion.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

class ConnectionPool;

// The counters for the requests that ask at the same moment, read once for all
// of them: a request waits for a read that began after it arrived and takes
// its result, so it sees every write acknowledged before it came, by this
// process or another on the same database, while the database answers one
// query for a whole crowd of readers instead of one each.
class CounterReader {
  public:
    explicit CounterReader(ConnectionPool& pool) : pool(pool) {}

    // False when the database cannot be reached (the reason is logged).
    bool read(DataVersion& out);

  private:
    ConnectionPool& pool;
    std::mutex lock;
    std::condition_variable finishedRead;
    uint64_t started = 0;  // reads begun
    uint64_t finished = 0; // the newest read whose result is in `latest`
    bool reading = false;
    bool latestOk = false;
    DataVersion latest;
};
