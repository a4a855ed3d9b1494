#pragma once

#include <cstdint>

class Database;

// The service's counters as one snapshot of the database sees them: the ticket
// counts, and for each list a number that grows with every transaction that
// changes what the list holds. The database keeps them in the transactions
// that change the rows (triggers of the schema), so they are exact whichever
// process wrote, and reading them costs the same at any number of tickets.
struct DataVersion {
    int64_t tickets = 0;
    int64_t unsolved = 0;
    int64_t ticketChanges = 0;
    int64_t softwareChanges = 0;
    int64_t localeChanges = 0;
    int64_t osChanges = 0;
};

// Reads the counters in the connection's current transaction, or as of now
// outside one. False when the database failed.
bool readDataVersion(Database& database, DataVersion& out);
