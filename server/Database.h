#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// One connection to the service's database: a SQLite file (SqliteDatabase) or a
// PostgreSQL database (PostgresDatabase). The store speaks one SQL to both:
// parameters are written "?", new ids come back through RETURNING, times are
// bound as text.
//
// Errors are sticky: the first failing call is remembered (failed(), error()) and
// every later statement is skipped until clearError(), so a request can run its
// statements in a row and decide once, at commit, whether all of them worked.
class Database {
  public:
    enum class Kind { Sqlite, Postgres };

    virtual ~Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // "postgresql://..." or "postgres://..." (a libpq connection URI) opens a
    // PostgreSQL database; anything else is the path of a SQLite file, created
    // when missing. Null on failure, with the reason in `error`.
    static std::unique_ptr<Database> open(const std::string& location, std::string& error);
    static bool isPostgresLocation(std::string_view location);

    virtual Kind kind() const = 0;

    // Runs one or more statements that return no rows.
    virtual bool exec(std::string_view sql) = 0;

    // True while a transaction is open, false when the database ended it by
    // itself (some errors roll the whole transaction back).
    virtual bool inTransaction() const = 0;

    // False when the connection can no longer be used (the server closed it, or
    // it was left inside a transaction); the pool then opens a new one.
    virtual bool usable() { return true; }

    // After rows were inserted with ids of their own: later inserts into `table`
    // continue above the highest id.
    virtual void continueIdsAfterHighest(const char* table) {}

    // A prepared statement of one connection, as the implementations give it; used
    // through Statement.
    class Query {
      public:
        virtual ~Query() = default;
        virtual void bind(int index, int64_t value) = 0;
        virtual void bind(int index, std::string_view text) = 0;
        virtual bool step() = 0;
        virtual void reset() = 0;
        virtual int64_t integer(int column) const = 0;
        virtual std::string text(int column) const = 0;
        virtual bool isNull(int column) const = 0;
    };

    bool failed() const { return hasFailed; }
    const std::string& error() const { return lastError; }
    void clearError();
    // Marks the connection failed with a reason (the first one stays).
    void fail(std::string reason);

  protected:
    friend class Statement;
    friend class Transaction;

    Database() = default;
    // Null (and the connection failed) when the statement cannot be prepared.
    virtual std::unique_ptr<Query> prepare(std::string_view sql) = 0;
    virtual bool begin(bool write) = 0;
    virtual bool finish(bool commit) = 0;
    // Called before a savepoint is released or rolled back to.
    virtual void settleStatements() {}

  private:
    // Transactions open on this connection: an inner one is a savepoint.
    int openTransactions = 0;
    bool hasFailed = false;
    std::string lastError;
};

// A prepared statement on a Database. Binding indexes start at 1, columns at 0.
class Statement {
  public:
    Statement(Database& database, std::string_view sql);
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
    bool isNull(int column) const;

  private:
    Database& database;
    std::unique_ptr<Database::Query> query;
};

// A write transaction never has to give up half-way for a concurrent writer of
// the same rows: SQLite takes the write lock at once, PostgreSQL waits for the
// row. A read transaction gives its statements one consistent snapshot. commit()
// keeps everything or nothing, and a transaction that is not committed is rolled
// back when it goes out of scope. A transaction begun inside another one is a
// savepoint of it: its commit keeps its changes for the outer one to commit, its
// rollback undoes only its own.
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
    bool open = false;
    int level = 0; // 0: the outermost transaction; n: the savepoint "nested_n"
};

// "YYYY-MM-DD HH:MM:SS" in UTC, as tickets, captures and feedback keep their times.
std::string currentTimestamp();
