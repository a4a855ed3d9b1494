#pragma once

#include "server/Database.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Database connections for the request threads: a thread borrows one for the
// length of a request and gives it back, so connections are opened once and
// never shared between two threads at the same time. A connection the server
// has closed is dropped and the next request opens a new one, so the service
// carries on by itself once a database server that went away is back. At most
// `maxOpen` connections are open at once: the request threads are many (a
// client that keeps its connection holds one while it waits), and PostgreSQL
// refuses connections beyond its own limit, so a request waits for a
// connection instead. No thread holds one lease while it asks for another.
class ConnectionPool {
  public:
    // `location` as Database::open takes it.
    ConnectionPool(std::string databaseLocation, size_t maxOpen)
        : location(std::move(databaseLocation)), maxOpen(maxOpen < 1 ? 1 : maxOpen) {}

    class Lease {
      public:
        Lease(ConnectionPool& pool, std::unique_ptr<Database> database)
            : owner(&pool), db(std::move(database)) {}
        Lease(Lease&& other) noexcept = default;
        ~Lease() {
            if (owner && db)
                owner->giveBack(std::move(db));
        }
        // Null when no connection could be opened.
        Database* get() const { return db.get(); }

      private:
        ConnectionPool* owner;
        std::unique_ptr<Database> db;
    };

    // Waits while `maxOpen` connections are lent out.
    Lease acquire();
    // The kind of database the connections are to, known before any is open.
    Database::Kind kind() const {
        return Database::isPostgresLocation(location) ? Database::Kind::Postgres
                                                      : Database::Kind::Sqlite;
    }
    // Why the last attempt to open a connection failed.
    std::string openError() const;

  private:
    void giveBack(std::unique_ptr<Database> database);

    std::string location;
    const size_t maxOpen;
    mutable std::mutex lock;
    std::condition_variable returned;
    size_t open = 0; // lent out and idle
    std::vector<std::unique_ptr<Database>> idle;
    std::string lastOpenError;
};
