#include "LogFlushWatch.h"

std::atomic<int> LogFlushWatch::writes{0};
std::atomic<int> LogFlushWatch::unflushed{0};

namespace {
// The system's own layer, which the wrapper passes everything to.
sqlite3_vfs* systemFiles = nullptr;
} // namespace

// A file of the system's layer, placed right behind the wrapper's own part.
struct WatchedFile {
    sqlite3_file base;
    bool log;

    static WatchedFile* of(sqlite3_file* file) { return reinterpret_cast<WatchedFile*>(file); }
    static sqlite3_file* real(sqlite3_file* file) {
        return reinterpret_cast<sqlite3_file*>(of(file) + 1);
    }

    static int write(sqlite3_file* file, const void* data, int size, sqlite3_int64 offset) {
        const int rc = real(file)->pMethods->xWrite(real(file), data, size, offset);
        if (rc == SQLITE_OK && of(file)->log) {
            ++LogFlushWatch::writes;
            ++LogFlushWatch::unflushed;
        }
        return rc;
    }
    static int sync(sqlite3_file* file, int flags) {
        // A flush covers what was written before it began.
        const int before = LogFlushWatch::unflushed;
        const int rc = real(file)->pMethods->xSync(real(file), flags);
        if (rc == SQLITE_OK && of(file)->log)
            LogFlushWatch::unflushed -= before;
        return rc;
    }

    static const sqlite3_io_methods methods;
};

const sqlite3_io_methods WatchedFile::methods = {
    3,
    [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); },
    [](sqlite3_file* f, void* data, int size, sqlite3_int64 offset) {
        return real(f)->pMethods->xRead(real(f), data, size, offset);
    },
    &WatchedFile::write,
    [](sqlite3_file* f, sqlite3_int64 size) { return real(f)->pMethods->xTruncate(real(f), size); },
    &WatchedFile::sync,
    [](sqlite3_file* f, sqlite3_int64* size) {
        return real(f)->pMethods->xFileSize(real(f), size);
    },
    [](sqlite3_file* f, int lock) { return real(f)->pMethods->xLock(real(f), lock); },
    [](sqlite3_file* f, int lock) { return real(f)->pMethods->xUnlock(real(f), lock); },
    [](sqlite3_file* f, int* out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); },
    [](sqlite3_file* f, int op, void* arg) {
        return real(f)->pMethods->xFileControl(real(f), op, arg);
    },
    [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); },
    [](sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
    [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
        return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
    },
    [](sqlite3_file* f, int offset, int n, int flags) {
        return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
    },
    [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); },
    [](sqlite3_file* f, int remove) { return real(f)->pMethods->xShmUnmap(real(f), remove); },
    [](sqlite3_file* f, sqlite3_int64 offset, int size, void** out) {
        return real(f)->pMethods->xFetch(real(f), offset, size, out);
    },
    [](sqlite3_file* f, sqlite3_int64 offset, void* page) {
        return real(f)->pMethods->xUnfetch(real(f), offset, page);
    },
};

LogFlushWatch::LogFlushWatch() {
    systemFiles = sqlite3_vfs_find(nullptr);
    writes = 0;
    unflushed = 0;
    // The system's layer in all but opening, whose files it wraps.
    wrapper = *systemFiles;
    wrapper.pNext = nullptr;
    wrapper.zName = "lotse-log-flush-watch";
    wrapper.szOsFile = static_cast<int>(sizeof(WatchedFile)) + systemFiles->szOsFile;
    wrapper.xOpen = [](sqlite3_vfs*, const char* name, sqlite3_file* file, int flags,
                       int* outFlags) {
        WatchedFile* watched = WatchedFile::of(file);
        watched->log = (flags & SQLITE_OPEN_WAL) != 0;
        const int rc =
            systemFiles->xOpen(systemFiles, name, WatchedFile::real(file), flags, outFlags);
        watched->base.pMethods =
            WatchedFile::real(file)->pMethods ? &WatchedFile::methods : nullptr;
        return rc;
    };
    sqlite3_vfs_register(&wrapper, 1);
}

LogFlushWatch::~LogFlushWatch() {
    sqlite3_vfs_unregister(&wrapper);
    sqlite3_vfs_register(systemFiles, 1);
}
