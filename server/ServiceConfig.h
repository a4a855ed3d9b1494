#pragma once

#include "server/ServiceOptions.h"

#include <ostream>
#include <string>
#include <vector>

// The settings of lotse-service: one table gives each its name in the
// configuration file, its command-line option, its value and its meaning, so
// the file, the command line, --help and the manual page always agree.
//
// The file holds "name = value" lines; a line whose first character that is not
// blank is "#" is a comment, and blank lines are skipped. Values run to the end
// of the line without surrounding blanks, so an access code may hold "#".

// The setting whose file name is `name` or whose option is `option` ("--db").
// Null when there is none.
struct ServiceSetting;
const ServiceSetting* settingNamed(const std::string& name);
const ServiceSetting* settingForOption(const std::string& option);

// Sets one setting from its text; false with the reason in `why` for a bad value.
bool applySetting(const ServiceSetting& setting, const std::string& value, ServiceOptions& options,
                  std::string& why);
const char* settingName(const ServiceSetting& setting);

// Reads the file into `options`; every unknown setting, bad value or line
// without "=" adds a problem naming the file and line.
bool readServiceConfig(const std::string& path, ServiceOptions& options,
                       std::vector<std::string>& problems);

// What serving needs beyond well-formed values: the database, port,
// certificate and key are given, the certificate and key files are readable,
// the health listener does not share the public port. Adds to `problems`.
void checkServeSettings(const ServiceOptions& options, std::vector<std::string>& problems);

// --help: the usage and every setting with its default.
std::string serviceHelp();
// The manual page lotse-service(8) in roff, made from the same table.
void writeManPage(std::ostream& out);
