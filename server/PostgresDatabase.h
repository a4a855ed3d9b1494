#pragma once

#include "server/Database.h"

#include <unordered_map>

struct pg_conn;

// A connection to a PostgreSQL database through libpq, for several service
// processes on one database. Statements are prepared once per connection and
// run with their parameters as text, apart from the SQL; the store's "?"
// placeholders become "$1", "$2", ... here. Nothing in this
// process coordinates writers: concurrent requests meet in the database, in its
// row locks and conditional updates.
class PostgresDatabase : public Database {
  public:
    ~PostgresDatabase() override;

    // `uri` is a libpq connection URI ("postgresql://user@host:port/dbname?...").
    static std::unique_ptr<Database> open(const std::string& uri, std::string& error);

    Kind kind() const override { return Kind::Postgres; }
    bool exec(std::string_view sql) override;
    bool usable() override;
    bool inTransaction() const override;
    void continueIdsAfterHighest(const char* table) override;

    pg_conn* handle() const { return conn; }
    // The name of this connection's prepared statement for `sql`: the server
    // parses and plans each statement of the store once per connection. Null
    // (and the connection failed) when it cannot be prepared.
    const std::string* prepared(const std::string& sql);

  protected:
    std::unique_ptr<Query> prepare(std::string_view sql) override;
    bool begin(bool write) override;
    bool finish(bool commit) override;

  private:
    explicit PostgresDatabase(pg_conn* connection) : conn(connection) {}

    pg_conn* conn;
    std::unordered_map<std::string, std::string> statements;
};
