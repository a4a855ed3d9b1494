#pragma once

#include <istream>
#include <ostream>
#include <string>

class Database;

// The whole database as JSON lines: one object per row, naming its table in
// "table" and every column that is not NULL as text, as the wire carries values
// ({"description":"Deutsch","id":"1","microsoft_lcid":"1031","table":"locale"}).
// Tables come in an order that their references allow, rows in key order, so
// the same data always gives the same bytes. It is what --seed-demo reads, and
// what an operator backs up, restores or carries from SQLite to PostgreSQL.
bool exportData(Database& database, std::ostream& out, std::string& error);

// Reads such lines into an empty database in one transaction: all or nothing.
// A line that names an unknown table or column, or that the database refuses,
// stops the import with its line number in `error`. Rows keep their ids, and new
// rows continue after the highest.
bool importData(Database& database, std::istream& in, std::string& error);
