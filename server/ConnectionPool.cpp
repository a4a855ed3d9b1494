#include "server/ConnectionPool.h"

ConnectionPool::Lease ConnectionPool::acquire() {
    for (;;) {
        std::unique_ptr<Database> database;
        {
            std::lock_guard<std::mutex> guard(lock);
            if (idle.empty())
                break;
            database = std::move(idle.back());
            idle.pop_back();
        }
        if (database->usable())
            return Lease(*this, std::move(database));
    }
    std::string error;
    std::unique_ptr<Database> database = Database::open(location, error);
    if (!database) {
        std::lock_guard<std::mutex> guard(lock);
        lastOpenError = error;
    }
    return Lease(*this, std::move(database));
}

std::string ConnectionPool::openError() const {
    std::lock_guard<std::mutex> guard(lock);
    return lastOpenError;
}

void ConnectionPool::giveBack(std::unique_ptr<Database> database) {
    database->clearError();
    if (!database->usable())
        return;
    std::lock_guard<std::mutex> guard(lock);
    idle.push_back(std::move(database));
}
