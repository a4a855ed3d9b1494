#pragma once

#include <string>

// The command line of lotse-service:
//   lotse-service --db DATABASE --port N --cert FILE --key FILE [--bind ADDR]
//                 [--access-code CODE] [--current-version TEXT]
//   lotse-service --db DATABASE --seed-demo [--demo-data FILE]
struct ServiceOptions {
    std::string database; // a SQLite file's path or a "postgresql://" URI (Database::open)
    int port = -1;
    std::string certFile;
    std::string keyFile;
    std::string bindAddress = "127.0.0.1";
    std::string accessCode; // UTF-8; the build's code unless given
    // The answer of "curversion.php" (UTF-8); the build's version unless given.
    std::string currentVersion;
    bool seedDemo = false;
    // The rows --seed-demo imports; the build's demo data unless given.
    std::string demoData;
};

// False with a message in `error` for an incomplete or unknown command line.
bool parseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                         std::string& error);

const char* serviceUsage();
