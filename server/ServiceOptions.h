#pragma once

#include <string>
#include <vector>

// A token bucket for one write endpoint and client address: `burst` requests at
// once, refilled at `perHour`. A burst of 0 lifts the limit.
struct WriteLimit {
    int burst = 0;
    int perHour = 0;
};

// Everything lotse-service runs with, from its configuration file (--config)
// and its command line, which wins where both name a setting:
//   lotse-service [--config FILE] [SETTINGS]          serve
//   lotse-service [--config FILE] [SETTINGS] --check-config
//   lotse-service [--config FILE] --db DATABASE --seed-demo [--demo-data FILE]
//   lotse-service --help | --man-page
// The settings, their file names and options are in ServiceConfig.cpp.
struct ServiceOptions {
    std::string database; // a SQLite file's path or a "postgresql://" URI (Database::open)
    int port = -1;
    std::string certFile;
    std::string keyFile;
    std::string bindAddress = "127.0.0.1";
    std::string accessCode; // UTF-8; the build's code unless given
    // The answer of "curversion.php" (UTF-8); the build's version unless given.
    std::string currentVersion;
    // GET /health and /metrics over plain HTTP; no such listener without a port.
    std::string healthAddress = "127.0.0.1";
    int healthPort = -1;
    bool requestLog = true;
    int requestThreads = 128;     // connections served at once (HttpService::serveAtOnce)
    int databaseConnections = 16; // open at most (ConnectionPool)
    // Per client address; a real community does not come near these.
    WriteLimit createTicketLimit{20, 60};
    WriteLimit createCaptureLimit{20, 60};
    WriteLimit feedbackLimit{30, 120};

    std::string configFile;
    bool checkConfig = false;
    bool help = false;
    bool manPage = false;
    bool seedDemo = false;
    // The rows --seed-demo imports; the build's demo data unless given.
    std::string demoData;
};

// Reads the command line, and the configuration file it names, into `options`.
// Every problem found goes into `problems` (each a whole sentence naming the
// option, or the file and line); false when there is any. The settings needed
// to serve are checked by checkServiceOptions.
bool parseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                         std::vector<std::string>& problems);

const char* serviceUsage();
