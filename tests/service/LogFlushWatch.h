#pragma once

#include <sqlite3.h>

#include <atomic>

// While one exists, every SQLite file opened in this process goes through a
// wrapper of the system's own file layer that notes the writes to write-ahead
// logs and their flushes: a write that no flush has followed yet is what a
// power loss could take back. One at a time.
class LogFlushWatch {
  public:
    LogFlushWatch();
    ~LogFlushWatch();
    LogFlushWatch(const LogFlushWatch&) = delete;
    LogFlushWatch& operator=(const LogFlushWatch&) = delete;

    // Writes to a log so far, and those of them that no flush of the log has
    // followed.
    int logWrites() const { return writes; }
    int unflushedLogWrites() const { return unflushed; }

  private:
    friend struct WatchedFile;
    static std::atomic<int> writes;
    static std::atomic<int> unflushed;
    sqlite3_vfs wrapper{};
};
