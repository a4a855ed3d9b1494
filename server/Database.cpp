#include "server/Database.h"

#include "server/PostgresDatabase.h"
#include "server/SqliteDatabase.h"

#include <ctime>

std::unique_ptr<Database> Database::open(const std::string& location, std::string& error) {
    if (isPostgresLocation(location))
        return PostgresDatabase::open(location, error);
    return SqliteDatabase::open(location, error);
}

bool Database::isPostgresLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
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

Statement::Statement(Database& owner, std::string_view sql) : database(owner) {
    if (!database.failed())
        query = database.prepare(sql);
}

Statement& Statement::bind(int index, int64_t value) {
    if (query && !database.failed())
        query->bind(index, value);
    return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
    if (query && !database.failed())
        query->bind(index, text);
    return *this;
}

bool Statement::step() {
    if (!query || database.failed())
        return false;
    return query->step();
}

bool Statement::run() {
    if (!query || database.failed())
        return false;
    step();
    return !database.failed();
}

void Statement::reset() {
    if (query)
        query->reset();
}

int64_t Statement::integer(int column) const {
    return query ? query->integer(column) : 0;
}

std::string Statement::text(int column) const {
    return query ? query->text(column) : std::string();
}

bool Statement::isNull(int column) const {
    return !query || query->isNull(column);
}

Transaction::Transaction(Database& owner, Mode mode) : database(owner) {
    database.clearError();
    level = database.openTransactions;
    if (level == 0)
        open = database.begin(mode == Write);
    else
        open = database.exec("SAVEPOINT nested_" + std::to_string(level));
    if (open)
        ++database.openTransactions;
}

Transaction::~Transaction() {
    if (!open)
        return;
    // The rollback must run even after a failed statement.
    std::string reason = database.error();
    bool hadFailed = database.failed();
    database.clearError();
    if (level == 0) {
        database.finish(false);
    } else {
        database.settleStatements();
        const std::string name = "nested_" + std::to_string(level);
        database.exec("ROLLBACK TO SAVEPOINT " + name + "; RELEASE SAVEPOINT " + name);
    }
    --database.openTransactions;
    if (hadFailed)
        database.fail(reason);
}

bool Transaction::commit() {
    if (!open)
        return false;
    if (database.failed())
        return false; // the destructor rolls back
    if (level == 0) {
        if (!database.finish(true))
            return false; // the destructor rolls back what is left
    } else {
        database.settleStatements();
        if (!database.exec("RELEASE SAVEPOINT nested_" + std::to_string(level)))
            return false;
    }
    --database.openTransactions;
    open = false;
    return true;
}

std::string currentTimestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}
