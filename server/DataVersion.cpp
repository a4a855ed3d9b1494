#include "server/DataVersion.h"

#include "server/Database.h"

bool readDataVersion(Database& database, DataVersion& out) {
    // One row in SQLite, one per slot in PostgreSQL (Schema.cpp).
    Statement query(database, "SELECT sum(tickets), sum(unsolved), sum(ticket_changes), "
                              "sum(software_changes), sum(locale_changes), sum(os_changes) "
                              "FROM service_counter");
    if (!query.step())
        return false;
    out = DataVersion{query.integer(0), query.integer(1), query.integer(2),
                      query.integer(3), query.integer(4), query.integer(5)};
    return true;
}
