#include "LogFlushWatch.h"

#include <cstddef>

std::atomic<int> LogFlushWatch::writes{0};
std::atomic<int> LogFlushWatch::unflushed{0};
std::atomic<int> LogFlushWatch::failingFlush{0};

namespace {
// The system's own layer, which the wrapper passes everything to.
sqlite3_vfs* systemFiles = nullptr;
} // namespace

// Placed behind a file of the system's layer: the system's methods for that
// file, and the copy of them that the file is given, with writes and flushes
// watched.
struct WatchedFile {
    sqlite3_io_methods methods;
    const sqlite3_io_methods* system;
    bool log;

    static size_t offset() {
        return (static_cast<size_t>(systemFiles->szOsFile) + alignof(WatchedFile) - 1) /
               alignof(WatchedFile) * alignof(WatchedFile);
    }
    static WatchedFile* of(sqlite3_file* file) {
        return reinterpret_cast<WatchedFile*>(reinterpret_cast<char*>(file) + offset());
    }

    static int write(sqlite3_file* file, const void* data, int size, sqlite3_int64 at) {
        const int rc = of(file)->system->xWrite(file, data, size, at);
        if (rc == SQLITE_OK && of(file)->log) {
            ++LogFlushWatch::writes;
            ++LogFlushWatch::unflushed;
        }
        return rc;
    }
    static int sync(sqlite3_file* file, int flags) {
        if (of(file)->log) {
            int count = LogFlushWatch::failingFlush;
            while (count > 0 &&
                   !LogFlushWatch::failingFlush.compare_exchange_weak(count, count - 1)) {
            }
            if (count == 1)
                return SQLITE_IOERR_FSYNC;
        }
        // A flush covers what was written before it began.
        const int before = LogFlushWatch::unflushed;
        const int rc = of(file)->system->xSync(file, flags);
        if (rc == SQLITE_OK && of(file)->log)
            LogFlushWatch::unflushed -= before;
        return rc;
    }
};

LogFlushWatch::LogFlushWatch() {
    systemFiles = sqlite3_vfs_find(nullptr);
    writes = 0;
    unflushed = 0;
    failingFlush = 0;
    // The system's layer in all but opening, whose files it watches.
    wrapper = *systemFiles;
    wrapper.pNext = nullptr;
    wrapper.zName = "lotse-log-flush-watch";
    wrapper.szOsFile = static_cast<int>(WatchedFile::offset() + sizeof(WatchedFile));
    wrapper.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* file, int flags,
                       int* outFlags) {
        const int rc = systemFiles->xOpen(systemFiles, name, file, flags, outFlags);
        if (file->pMethods) {
            WatchedFile* watched = WatchedFile::of(file);
            watched->system = file->pMethods;
            watched->log = (flags & SQLITE_OPEN_WAL) != 0;
            watched->methods = *file->pMethods;
            watched->methods.xWrite = &WatchedFile::write;
            watched->methods.xSync = &WatchedFile::sync;
            file->pMethods = &watched->methods;
        }
        return rc;
    };
    sqlite3_vfs_register(&wrapper, 1);
}

LogFlushWatch::~LogFlushWatch() {
    sqlite3_vfs_unregister(&wrapper);
    sqlite3_vfs_register(systemFiles, 1);
}
