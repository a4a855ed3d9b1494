#pragma once

#include <string>

class Database;

// Fills an empty database with the demo catalogue: languages (German first),
// operating systems, a software catalogue with the "any software" entry, and
// tickets in every state, several of them solved with a recording; one of those
// was recorded on Wine's Notepad, so a solution can be played at once under Wine.
// One transaction: all or nothing. The caller checks that the database is empty.
bool seedDemoData(Database& database, std::string& error);
