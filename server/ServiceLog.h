#pragma once

#include <string>
#include <string_view>

// The service's log: lines on standard error, which journald keeps under the
// unit's name. Secrets (the access code, a database password or the whole
// PostgreSQL location that may hold one) are replaced by "***" in every line,
// whatever put them there, and control characters are escaped so that no text
// from a client can start a line of its own.
namespace ServiceLog {

// Before the first thread starts; empty texts are ignored.
void addSecret(const std::string& secret);
// The access code, and the location with its password if it is a PostgreSQL one.
void addDatabaseSecrets(const std::string& location);

// Writes "lotse-service: " and the line.
void write(std::string_view line);
// printf-style.
void writef(const char* format, ...) __attribute__((format(printf, 1, 2)));
// An operator's change of the data (admin commands): written as write() does
// and to the system log too (the journal), where it stays beside the service's
// own lines whoever ran the command.
void audit(std::string_view line);

// The line as written, without the prefix: secrets replaced, control characters
// escaped.
std::string clean(std::string_view line);

// The time now in UTC, "2026-01-31T12:00:00.123Z".
std::string timestamp();

} // namespace ServiceLog
