#include "server/ConnectionPool.h"

ConnectionPool::Lease ConnectionPool::acquire() {
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        if (!idle.empty()) {
            std::unique_ptr<Database> database = std::move(idle.back());
            idle.pop_back();
            guard.unlock();
            if (database->usable())
                return Lease(*this, std::move(database));
            database.reset();
            guard.lock();
            --open;
            continue;
        }
        if (open < maxOpen)
            break;
        returned.wait(guard);
    }
    ++open;
    guard.unlock();
    std::string error;
    std::unique_ptr<Database> database = Database::open(location, error);
    if (!database) {
        guard.lock();
        --open;
        lastOpenError = error;
        returned.notify_one();
    }
    return Lease(*this, std::move(database));
}

std::string ConnectionPool::openError() const {
    std::lock_guard<std::mutex> guard(lock);
    return lastOpenError;
}

void ConnectionPool::giveBack(std::unique_ptr<Database> database) {
    database->clearError();
    const bool usable = database->usable();
    if (!usable)
        database.reset();
    std::lock_guard<std::mutex> guard(lock);
    if (usable)
        idle.push_back(std::move(database));
    else
        --open;
    returned.notify_one();
}
