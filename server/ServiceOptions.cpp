#include "server/ServiceOptions.h"

#include "server/ServiceConfig.h"

#include <utility>

const char* serviceUsage() {
    return "usage: lotse-service [--config FILE] --db DATABASE --port N --cert FILE --key FILE\n"
           "                     [--bind ADDR] [--access-code CODE] [--current-version TEXT]\n"
           "                     [other settings] [--check-config]\n"
           "       lotse-service [--config FILE] --db DATABASE --seed-demo [--demo-data FILE]\n"
           "       lotse-service admin [--config FILE] [--db DATABASE] COMMAND ...\n"
           "       lotse-service --help\n"
           "DATABASE is the path of a SQLite file, or a PostgreSQL connection URI\n"
           "(postgresql://[user[:password]@][host][:port]/dbname[?param=value&...]).\n";
}

bool parseServiceOptions(int argc, const char* const* argv, ServiceOptions& options,
                         std::vector<std::string>& problems) {
    const size_t before = problems.size();
    // The file is read first, whatever its place on the line, so that the
    // options given beside it win.
    std::vector<std::pair<const ServiceSetting*, std::string>> given;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed-demo" || arg == "--check-config" || arg == "--help" ||
            arg == "--man-page") {
            (arg == "--seed-demo"      ? options.seedDemo
             : arg == "--check-config" ? options.checkConfig
             : arg == "--help"         ? options.help
                                       : options.manPage) = true;
            continue;
        }
        const ServiceSetting* setting = settingForOption(arg);
        if (!setting && arg != "--config" && arg != "--demo-data") {
            problems.push_back("unknown option " + arg);
            continue;
        }
        if (i + 1 >= argc || !*argv[i + 1]) {
            problems.push_back(arg + " needs a value");
            ++i;
            continue;
        }
        const std::string value = argv[++i];
        if (arg == "--config")
            options.configFile = value;
        else if (arg == "--demo-data")
            options.demoData = value;
        else
            given.emplace_back(setting, value);
    }
    if (!options.configFile.empty())
        readServiceConfig(options.configFile, options, problems);
    for (const auto& [setting, value] : given) {
        std::string why;
        if (!applySetting(*setting, value, options, why))
            problems.push_back(std::string(settingName(*setting)) + " " + why);
    }
    if (options.help || options.manPage)
        return problems.size() == before;
    if (options.seedDemo) {
        if (options.database.empty())
            problems.push_back("database is not set (--db, or \"database = ...\" in the "
                               "configuration file)");
    } else {
        checkServeSettings(options, problems);
    }
    return problems.size() == before;
}
