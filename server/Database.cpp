#include "server/Database.h"

#include <sqlite3.h>

Database::~Database() {
    sqlite3_close_v2(db);
}

std::unique_ptr<Database> Database::open(const std::string& path, std::string& error) {
    sqlite3* handle = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &handle, flags, nullptr) != SQLITE_OK) {
        error = handle ? sqlite3_errmsg(handle) : "out of memory";
        sqlite3_close_v2(handle);
        return nullptr;
    }
    std::unique_ptr<Database> database(new Database(handle));
    // Writers queue behind each other instead of failing at once.
    sqlite3_busy_timeout(handle, 10000);
    sqlite3_extended_result_codes(handle, 1);
    if (!database->exec("PRAGMA foreign_keys = ON")) {
        error = database->error();
        return nullptr;
    }
    return database;
}

bool Database::exec(std::string_view sql) {
    if (hasFailed)
        return false;
    std::string text(sql);
    char* message = nullptr;
    if (sqlite3_exec(db, text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        hasFailed = true;
        lastError = message ? message : sqlite3_errmsg(db);
        sqlite3_free(message);
        return false;
    }
    return true;
}

void Database::clearError() {
    hasFailed = false;
    lastError.clear();
}

void Database::fail(std::string reason) {
    if (hasFailed)
        return;
    hasFailed = true;
    lastError = std::move(reason);
}

int64_t Database::lastInsertId() const {
    return sqlite3_last_insert_rowid(db);
}

void Database::noteSqliteError(std::string_view what) {
    if (hasFailed)
        return;
    hasFailed = true;
    lastError = std::string(what) + ": " + sqlite3_errmsg(db);
}

Statement::Statement(Database& owner, std::string_view sql) : database(owner) {
    if (database.failed())
        return;
    if (sqlite3_prepare_v2(database.db, sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK) {
        database.noteSqliteError(std::string("prepare ") + std::string(sql));
        sqlite3_finalize(stmt);
        stmt = nullptr;
    }
}

Statement::~Statement() {
    sqlite3_finalize(stmt);
}

Statement& Statement::bind(int index, int64_t value) {
    if (stmt && sqlite3_bind_int64(stmt, index, value) != SQLITE_OK)
        database.noteSqliteError("bind");
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (stmt && sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                    SQLITE_UTF8) != SQLITE_OK)
        database.noteSqliteError("bind");
    return *this;
}

bool Statement::step() {
    if (!stmt || database.failed())
        return false;
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        database.noteSqliteError("step");
    return false;
}

bool Statement::run() {
    if (!stmt || database.failed())
        return false;
    step();
    return !database.failed();
}

void Statement::reset() {
    if (!stmt)
        return;
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
}

int64_t Statement::integer(int column) const {
    return stmt ? sqlite3_column_int64(stmt, column) : 0;
}

std::string Statement::text(int column) const {
    if (!stmt)
        return std::string();
    const unsigned char* value = sqlite3_column_text(stmt, column);
    const int size = sqlite3_column_bytes(stmt, column);
    return value ? std::string(reinterpret_cast<const char*>(value), size) : std::string();
}

namespace {
std::mutex writers;
}

Transaction::Transaction(Database& owner, Mode mode) : database(owner) {
    if (mode == Write)
        writeTurn = std::unique_lock<std::mutex>(writers);
    database.clearError();
    open = database.exec(mode == Write ? "BEGIN IMMEDIATE" : "BEGIN");
}

Transaction::~Transaction() {
    if (!open)
        return;
    // The rollback must run even after a failed statement.
    std::string reason = database.error();
    bool hadFailed = database.failed();
    database.clearError();
    database.exec("ROLLBACK");
    if (hadFailed)
        database.fail(reason);
}

bool Transaction::commit() {
    if (!open)
        return false;
    if (database.failed())
        return false; // the destructor rolls back
    if (!database.exec("COMMIT"))
        return false;
    open = false;
    if (writeTurn.owns_lock())
        writeTurn.unlock();
    return true;
}
