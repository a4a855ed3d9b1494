#pragma once

#include "server/Database.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Database connections for the request threads: a thread borrows one for the
// length of a request and gives it back, so connections are opened once and
// never shared between two threads at the same time. A connection the server
// has closed is dropped and the next request opens a new one, so the service
// carries on by itself once a database server that went away is back.
class ConnectionPool {
  public:
    // `location` as Database::open takes it.
    explicit ConnectionPool(std::string databaseLocation) : location(std::move(databaseLocation)) {}

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

    Lease acquire();
    // Why the last attempt to open a connection failed.
    std::string openError() const;

  private:
    void giveBack(std::unique_ptr<Database> database);

    std::string location;
    mutable std::mutex lock;
    std::vector<std::unique_ptr<Database>> idle;
    std::string lastOpenError;
};
