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
    // The `number`th flush of a log from now (1 the next) fails as a full or
    // failing disk makes it fail, and flushes nothing.
    void failFlush(int number) { failingFlush = number; }

  private:
    friend struct WatchedFile;
    static std::atomic<int> writes;
    static std::atomic<int> unflushed;
    static std::atomic<int> failingFlush;
    sqlite3_vfs wrapper{};
};
