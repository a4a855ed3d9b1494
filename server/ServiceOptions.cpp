#include "server/ServiceOptions.h"

#include <cstdlib>
#include <cstring>

const char* serviceUsage() {
    return "usage: lotse-service --db DATABASE --port N --cert FILE --key FILE "
           "[--bind ADDR] [--access-code CODE] [--current-version TEXT]\n"
           "       lotse-service --db DATABASE --seed-demo [--demo-data FILE]\n"
           "DATABASE is the path of a SQLite file, or a PostgreSQL connection URI\n"
           "(postgresql://[user[:password]@][host][:port]/dbname[?param=value&...]).\n";
}

bool parseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                         std::string& error) {
    bool havePort = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed-demo") {
            options.seedDemo = true;
            continue;
        }
        std::string* target = nullptr;
        if (arg == "--db")
            target = &options.database;
        else if (arg == "--cert")
            target = &options.certFile;
        else if (arg == "--key")
            target = &options.keyFile;
        else if (arg == "--bind")
            target = &options.bindAddress;
        else if (arg == "--access-code")
            target = &options.accessCode;
        else if (arg == "--current-version")
            target = &options.currentVersion;
        else if (arg == "--demo-data")
            target = &options.demoData;
        else if (arg != "--port") {
            error = "unknown option " + arg;
            return false;
        }
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        if (target) {
            if (!*value) {
                error = arg + " needs a value";
                return false;
            }
            *target = value;
            continue;
        }
        char* end = nullptr;
        const long port = std::strtol(value, &end, 10);
        if (!*value || *end || port < 0 || port > 65535) {
            error = std::string("invalid port ") + value;
            return false;
        }
        options.port = static_cast<int>(port);
        havePort = true;
    }
    if (options.database.empty()) {
        error = "--db is required";
        return false;
    }
    if (options.seedDemo)
        return true;
    if (!havePort || options.certFile.empty() || options.keyFile.empty()) {
        error = "--port, --cert and --key are required to serve";
        return false;
    }
    return true;
}
