#include "server/SqliteDatabase.h"

#include <sqlite3.h>

#include <chrono>
#include <thread>

namespace {

std::mutex writers;

// A statement of the connection's cache (`inUse` set while this query holds it),
// or one of its own when the same text is already in use.
class SqliteQuery : public Database::Query {
  public:
    SqliteQuery(SqliteDatabase& owner, sqlite3_stmt* statement, bool* cachedInUse)
        : database(owner), stmt(statement), inUse(cachedInUse) {}
    ~SqliteQuery() override {
        if (!inUse) {
            sqlite3_finalize(stmt);
            return;
        }
        reset();
        *inUse = false;
    }

    void bind(int index, int64_t value) override {
        if (sqlite3_bind_int64(stmt, index, value) != SQLITE_OK)
            database.noteError("bind");
    }
    void bind(int index, std::string_view text) override {
        if (sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                SQLITE_UTF8) != SQLITE_OK)
            database.noteError("bind");
    }
    bool step() override {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            database.noteError("step");
        return false;
    }
    void reset() override {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    int64_t integer(int column) const override { return sqlite3_column_int64(stmt, column); }
    std::string text(int column) const override {
        const unsigned char* value = sqlite3_column_text(stmt, column);
        const int size = sqlite3_column_bytes(stmt, column);
        return value ? std::string(reinterpret_cast<const char*>(value), size) : std::string();
    }
    bool isNull(int column) const override {
        return sqlite3_column_type(stmt, column) == SQLITE_NULL;
    }
    sqlite3_stmt* handle() const { return stmt; }

  private:
    SqliteDatabase& database;
    sqlite3_stmt* stmt;
    bool* inUse;
};

// WAL lets readers go on while one request writes. It is a property of the
// file, made by the first connection and only read by the others. Processes
// that start together on a new file both try to switch it, and SQLite answers
// one of them "locked" at once, without its busy handler (each holds the read
// lock the other needs to give up), so the switch is tried again for as long as
// a writer would wait.
bool useWriteAheadLog(sqlite3* handle, std::string& error) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(handle, "PRAGMA journal_mode = WAL", -1, &stmt, nullptr);
        std::string mode;
        if (rc == SQLITE_OK && (rc = sqlite3_step(stmt)) == SQLITE_ROW &&
            sqlite3_column_text(stmt, 0))
            mode = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
        if (mode == "wal")
            return true;
        if ((rc & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() > deadline) {
            error = mode.empty() ? sqlite3_errmsg(handle) : "write-ahead logging not available";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// One statement that begins or ends a transaction or savepoint.
bool isTransactionControl(std::string_view sql) {
    if (sql.find(';') != std::string_view::npos)
        return false;
    for (std::string_view start : {"BEGIN", "COMMIT", "ROLLBACK", "SAVEPOINT", "RELEASE"}) {
        if (sql.substr(0, start.size()) == start)
            return true;
    }
    return false;
}

} // namespace

SqliteDatabase::~SqliteDatabase() {
    for (auto& [sql, cached] : statements)
        sqlite3_finalize(cached.stmt);
    sqlite3_close_v2(db);
}

std::unique_ptr<Database> SqliteDatabase::open(const std::string& path, std::string& error) {
    sqlite3* handle = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
        error = handle ? sqlite3_errmsg(handle) : "out of memory";
        sqlite3_close_v2(handle);
        return nullptr;
    }
    std::unique_ptr<SqliteDatabase> database(new SqliteDatabase(handle));
    // Writers queue behind each other instead of failing at once.
    sqlite3_busy_timeout(handle, 10000);
    sqlite3_extended_result_codes(handle, 1);
    if (!useWriteAheadLog(handle, error))
        return nullptr;
    // A write answered "OK" is on the disk: with the write-ahead log, FULL
    // flushes the log at every commit (NORMAL would leave the last commits to
    // the next checkpoint, and a power loss could take them back). The setting
    // belongs to the connection, so every connection makes it.
    if (!database->exec("PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL")) {
        error = database->error();
        return nullptr;
    }
    return database;
}

bool SqliteDatabase::exec(std::string_view sql) {
    if (failed())
        return false;
    // Every transaction's BEGIN, SAVEPOINT, RELEASE and COMMIT is compiled
    // once, as the store's own statements are.
    if (isTransactionControl(sql)) {
        std::unique_ptr<Query> query = prepare(sql);
        if (!query)
            return false;
        auto& statement = static_cast<SqliteQuery&>(*query);
        int rc;
        while ((rc = sqlite3_step(statement.handle())) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            fail(sqlite3_errmsg(db));
            return false;
        }
        return true;
    }
    std::string text(sql);
    char* message = nullptr;
    if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        fail(message ? message : sqlite3_errmsg(db));
        sqlite3_free(message);
        return false;
    }
    return true;
}

void SqliteDatabase::noteError(std::string_view what) {
    fail(std::string(what) + ": " + sqlite3_errmsg(db));
}

std::unique_ptr<Database::Query> SqliteDatabase::prepare(std::string_view sql) {
    auto known = statements.find(std::string(sql));
    if (known != statements.end() && !known->second.inUse) {
        known->second.inUse = true;
        return std::make_unique<SqliteQuery>(*this, known->second.stmt, &known->second.inUse);
    }
    const bool keep = known == statements.end();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                           keep ? SQLITE_PREPARE_PERSISTENT : 0, &stmt, nullptr) != SQLITE_OK) {
        noteError("prepare " + std::string(sql));
        sqlite3_finalize(stmt);
        return nullptr;
    }
    if (!keep)
        return std::make_unique<SqliteQuery>(*this, stmt, nullptr);
    Cached& cached = statements[std::string(sql)] = Cached{stmt, true};
    return std::make_unique<SqliteQuery>(*this, stmt, &cached.inUse);
}

bool SqliteDatabase::begin(bool write) {
    if (write)
        writeTurn = std::unique_lock<std::mutex>(writers);
    if (exec(write ? "BEGIN IMMEDIATE" : "BEGIN"))
        return true;
    if (writeTurn.owns_lock())
        writeTurn.unlock();
    return false;
}

bool SqliteDatabase::inTransaction() const {
    return sqlite3_get_autocommit(db) == 0;
}

void SqliteDatabase::settleStatements() {
    // A statement read for its first row only (an INSERT ... RETURNING) is still
    // running and would hold the COMMIT up; its changes were all made by then.
    for (sqlite3_stmt* stmt = sqlite3_next_stmt(db, nullptr); stmt;
         stmt = sqlite3_next_stmt(db, stmt)) {
        if (sqlite3_stmt_busy(stmt))
            sqlite3_reset(stmt);
    }
}

bool SqliteDatabase::finish(bool commit) {
    settleStatements();
    const bool done = exec(commit ? "COMMIT" : "ROLLBACK");
    // A failed COMMIT leaves the transaction open for the rollback that follows.
    if ((done || !commit) && writeTurn.owns_lock())
        writeTurn.unlock();
    return done;
}
