#pragma once

#include <string>

class Database;

// Brings the database to the newest schema version, one migration step per
// transaction; a SQLite file is switched to write-ahead logging. False with the
// reason in `error` when a step failed; that step leaves nothing.
bool migrateSchema(Database& database, std::string& error);

// The version migrateSchema() ends at.
int currentSchemaVersion();
