#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

// One SQLite connection. Errors are sticky: the first failing call is remembered
// (failed(), error()) and every later statement is skipped until clearError(), so a
// request can run its statements in a row and decide once, at commit, whether all
// of them worked.
class Database {
  public:
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens (and creates) the file, turns on foreign keys and a busy timeout.
    // Null on failure, with the reason in `error`.
    static std::unique_ptr<Database> open(const std::string& path, std::string& error);

    // Runs one or more statements that return no rows.
    bool exec(std::string_view sql);

    bool failed() const { return hasFailed; }
    const std::string& error() const { return lastError; }
    void clearError();
    // Marks the connection failed with a reason of our own (for example a
    // constraint that SQL cannot express).
    void fail(std::string reason);

    int64_t lastInsertId() const;
    sqlite3* handle() const { return db; }

  private:
    friend class Statement;
    explicit Database(sqlite3* handle) : db(handle) {}
    void noteSqliteError(std::string_view what);

    sqlite3* db;
    bool hasFailed = false;
    std::string lastError;
};

// A prepared statement on a Database. Binding indexes start at 1, columns at 0.
class Statement {
  public:
    Statement(Database& database, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, int64_t value);
    Statement& bind(int index, std::string_view text);

    // Advances to the next row: true while a row is there; false at the end or on
    // an error (which the Database then reports).
    bool step();
    // Runs a statement that returns no rows; true when it worked.
    bool run();
    void reset();

    int64_t integer(int column) const;
    std::string text(int column) const;

  private:
    Database& database;
    sqlite3_stmt* stmt = nullptr;
};

// A write transaction takes the write lock at once (BEGIN IMMEDIATE), so it never
// has to give up half-way for a concurrent writer; a read transaction gives its
// statements one consistent snapshot. commit() keeps everything or nothing, and a
// transaction that is not committed is rolled back when it goes out of scope.
class Transaction {
  public:
    enum Mode { Read, Write };
    explicit Transaction(Database& database, Mode mode = Write);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False (and rolled back) when any statement since the start failed.
    bool commit();

  private:
    Database& database;
    // Writers of this process take turns here rather than in SQLite's busy
    // handler, which polls with growing sleeps and lets waiters starve.
    std::unique_lock<std::mutex> writeTurn;
    bool open = false;
};
