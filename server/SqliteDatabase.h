#pragma once

#include "server/Database.h"

#include <mutex>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

// A connection to a SQLite file: the embedded store for one machine. Writers of
// one file take turns, so a write request never meets a concurrent writer.
class SqliteDatabase : public Database {
  public:
    ~SqliteDatabase() override;

    // Opens (and creates) the file, turns on foreign keys and a busy timeout.
    static std::unique_ptr<Database> open(const std::string& path, std::string& error);

    Kind kind() const override { return Kind::Sqlite; }
    bool exec(std::string_view sql) override;
    bool inTransaction() const override;

    // Marks the connection failed with SQLite's own message.
    void noteError(std::string_view what);
    sqlite3* handle() const { return db; }

  protected:
    std::unique_ptr<Query> prepare(std::string_view sql) override;
    bool begin(bool write) override;
    bool finish(bool commit) override;
    void settleStatements() override;

  private:
    explicit SqliteDatabase(sqlite3* handle) : db(handle) {}

    sqlite3* db;
    // Each statement of the store is compiled once per connection; compiling
    // costs more than running most of them.
    struct Cached {
        sqlite3_stmt* stmt;
        bool inUse;
    };
    std::unordered_map<std::string, Cached> statements;
    // Writers of this process take turns here rather than in SQLite's busy
    // handler, which polls with growing sleeps and lets waiters starve.
    std::unique_lock<std::mutex> writeTurn;
};
