#include "server/ServiceConfig.h"

#include "server/Trimmed.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string_view>
#include <unistd.h>

struct ServiceSetting {
    const char* name;    // in the file
    const char* option;  // on the command line
    const char* value;   // what the value is, for the help
    const char* meaning; // one sentence or two
    const char* initial; // the default, for the help; null: none
    std::function<bool(ServiceOptions&, const std::string&, std::string&)> apply;
};

namespace {

bool number(const std::string& text, long low, long high, long& value) {
    if (text.empty() || text.size() > 12)
        return false;
    char* end = nullptr;
    value = std::strtol(text.c_str(), &end, 10);
    return *end == 0 && value >= low && value <= high;
}

auto textSetting(std::string ServiceOptions::*field) {
    return [field](ServiceOptions& options, const std::string& value, std::string& why) {
        if (value.empty()) {
            why = "needs a value";
            return false;
        }
        options.*field = value;
        return true;
    };
}

auto portSetting(int ServiceOptions::*field) {
    return [field](ServiceOptions& options, const std::string& value, std::string& why) {
        long port = 0;
        if (!number(value, 0, 65535, port)) {
            why = "is not a port (0 to 65535): \"" + value + "\"";
            return false;
        }
        options.*field = static_cast<int>(port);
        return true;
    };
}

bool count(const std::string& value, long low, long high, int& result, std::string& why) {
    long parsed = 0;
    if (!number(value, low, high, parsed)) {
        why = "is not a count (" + std::to_string(low) + " to " + std::to_string(high) + "): \"" +
              value + "\"";
        return false;
    }
    result = static_cast<int>(parsed);
    return true;
}

auto limitSetting(WriteLimit ServiceOptions::*limit, int WriteLimit::*part) {
    return [limit, part](ServiceOptions& options, const std::string& value, std::string& why) {
        return count(value, 0, 1000000, (options.*limit).*part, why);
    };
}

auto countSetting(int ServiceOptions::*field, long low, long high) {
    return [field, low, high](ServiceOptions& options, const std::string& value, std::string& why) {
        return count(value, low, high, options.*field, why);
    };
}

bool yesNo(ServiceOptions& options, const std::string& value, std::string& why) {
    if (value != "yes" && value != "no") {
        why = "is neither yes nor no: \"" + value + "\"";
        return false;
    }
    options.requestLog = value == "yes";
    return true;
}

const ServiceSetting settings[] = {
    {"database", "--db", "DATABASE",
     "The path of a SQLite file (created when missing), or a PostgreSQL connection URI "
     "postgresql://[user[:password]@][host][:port]/dbname[?param=value&...].",
     nullptr, textSetting(&ServiceOptions::database)},
    {"listen_address", "--bind", "ADDRESS",
     "The address the HTTPS endpoints listen on; 0.0.0.0 for every IPv4 address.", "127.0.0.1",
     textSetting(&ServiceOptions::bindAddress)},
    {"port", "--port", "N", "The HTTPS port; 0 picks a free one.", nullptr,
     portSetting(&ServiceOptions::port)},
    {"certificate", "--cert", "FILE", "The server certificate (PEM), with its chain.", nullptr,
     textSetting(&ServiceOptions::certFile)},
    {"certificate_key", "--key", "FILE", "The certificate's private key (PEM).", nullptr,
     textSetting(&ServiceOptions::keyFile)},
    {"access_code", "--access-code", "CODE",
     "The access code every request must carry (UTF-8); it is never written to the log.",
     "the build's code", textSetting(&ServiceOptions::accessCode)},
    {"current_version", "--current-version", "TEXT",
     "The answer of curversion.php; another text than the program's version makes Lotse offer "
     "an update.",
     "the build's version", textSetting(&ServiceOptions::currentVersion)},
    {"health_address", "--health-address", "ADDRESS",
     "The address of the plain-HTTP listener for GET /health and GET /metrics; keep it on "
     "loopback or a private network.",
     "127.0.0.1", textSetting(&ServiceOptions::healthAddress)},
    {"health_port", "--health-port", "N",
     "The port of that listener; without it there is none. It must differ from the public port.",
     "none", portSetting(&ServiceOptions::healthPort)},
    {"request_log", "--request-log", "yes|no",
     "One line per request on standard error: time, client address, endpoint, status, "
     "duration, reply bytes.",
     "yes", yesNo},
    {"request_threads", "--threads", "N",
     "Connections served at once. A client that keeps its connection open between requests "
     "(Lotse does) holds one for up to 2 seconds; further clients wait for a free one.",
     "128", countSetting(&ServiceOptions::requestThreads, 1, 4096)},
    {"database_connections", "--db-connections", "N",
     "Database connections open at most; a request waits for a free one. With PostgreSQL keep "
     "the sum over all service processes below the server's max_connections.",
     "16", countSetting(&ServiceOptions::databaseConnections, 1, 1000)},
    {"createticket_burst", "--createticket-burst", "N",
     "Tickets one client address may file at once (0: no limit); beyond the limit the reply is "
     "HTTP 429 and nothing is stored.",
     "20", limitSetting(&ServiceOptions::createTicketLimit, &WriteLimit::burst)},
    {"createticket_per_hour", "--createticket-per-hour", "N",
     "How many tickets per hour the allowance of one address grows back.", "60",
     limitSetting(&ServiceOptions::createTicketLimit, &WriteLimit::perHour)},
    {"createcapture_burst", "--createcapture-burst", "N",
     "Recorded solutions one client address may upload at once (0: no limit).", "20",
     limitSetting(&ServiceOptions::createCaptureLimit, &WriteLimit::burst)},
    {"createcapture_per_hour", "--createcapture-per-hour", "N",
     "How many uploads per hour the allowance grows back.", "60",
     limitSetting(&ServiceOptions::createCaptureLimit, &WriteLimit::perHour)},
    {"feedback_burst", "--feedback-burst", "N",
     "Feedback answers one client address may send at once (0: no limit).", "30",
     limitSetting(&ServiceOptions::feedbackLimit, &WriteLimit::burst)},
    {"feedback_per_hour", "--feedback-per-hour", "N",
     "How many answers per hour the allowance grows back.", "120",
     limitSetting(&ServiceOptions::feedbackLimit, &WriteLimit::perHour)},
};

bool readable(const std::string& path) {
    return access(path.c_str(), R_OK) == 0;
}

bool anyAddress(const std::string& address) {
    return address == "0.0.0.0" || address == "::" || address == "*";
}

// Roff text: a leading dot or quote would be read as a request, backslashes
// and hyphens as escapes.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

} // namespace

const ServiceSetting* settingNamed(const std::string& name) {
    for (const ServiceSetting& setting : settings) {
        if (name == setting.name)
            return &setting;
    }
    return nullptr;
}

const ServiceSetting* settingForOption(const std::string& option) {
    for (const ServiceSetting& setting : settings) {
        if (option == setting.option)
            return &setting;
    }
    return nullptr;
}

const char* settingName(const ServiceSetting& setting) {
    return setting.name;
}

bool applySetting(const ServiceSetting& setting, const std::string& value, ServiceOptions& options,
                  std::string& why) {
    return setting.apply(options, value, why);
}

bool readServiceConfig(const std::string& path, ServiceOptions& options,
                       std::vector<std::string>& problems) {
    std::ifstream file(path);
    if (!file) {
        problems.push_back("cannot read the configuration file " + path);
        return false;
    }
    const size_t before = problems.size();
    std::vector<std::string> seen;
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const std::string where = path + ":" + std::to_string(number) + ": ";
        const std::string content(trimmed(line));
        if (content.empty() || content[0] == '#')
            continue;
        const size_t equals = content.find('=');
        if (equals == std::string::npos) {
            problems.push_back(where + "not a \"name = value\" line");
            continue;
        }
        const std::string name(trimmed(std::string_view(content).substr(0, equals)));
        const std::string value(trimmed(std::string_view(content).substr(equals + 1)));
        const ServiceSetting* setting = settingNamed(name);
        if (!setting) {
            problems.push_back(where + "unknown setting \"" + name + "\"");
            continue;
        }
        for (const std::string& earlier : seen) {
            if (earlier == name)
                problems.push_back(where + name + " is set a second time");
        }
        seen.push_back(name);
        std::string why;
        if (!applySetting(*setting, value, options, why))
            problems.push_back(where + name + " " + why);
    }
    if (file.bad())
        problems.push_back("cannot read the configuration file " + path);
    return problems.size() == before;
}

void checkServeSettings(const ServiceOptions& options, std::vector<std::string>& problems) {
    const auto missing = [&](const char* name, const char* option) {
        problems.push_back(std::string(name) + " is not set (\"" + name +
                           " = ...\" in the configuration file, or " + option + ")");
    };
    if (options.database.empty())
        missing("database", "--db");
    if (options.port < 0)
        missing("port", "--port");
    if (options.certFile.empty())
        missing("certificate", "--cert");
    else if (!readable(options.certFile))
        problems.push_back("certificate: cannot read " + options.certFile);
    if (options.keyFile.empty())
        missing("certificate_key", "--key");
    else if (!readable(options.keyFile))
        problems.push_back("certificate_key: cannot read " + options.keyFile);
    if (options.healthPort >= 0 && options.port > 0 && options.healthPort == options.port &&
        (options.healthAddress == options.bindAddress || anyAddress(options.healthAddress) ||
         anyAddress(options.bindAddress)))
        problems.push_back("health_port " + std::to_string(options.healthPort) +
                           " is the public port; /health and /metrics need a port of their own");
}

std::string serviceHelp() {
    std::string text = serviceUsage();
    text += "\nSettings: in the configuration file as \"name = value\" lines (# starts a comment\n"
            "line), or as the option beside each name, which wins over the file.\n\n";
    for (const ServiceSetting& setting : settings) {
        text += "  " + std::string(setting.name) + " = " + setting.value + "  (" + setting.option +
                " " + setting.value + ")\n";
        // Wrapped at about 76 columns, indented under the name.
        std::string line = "     ";
        std::string meaning = setting.meaning;
        if (setting.initial)
            meaning += std::string(" Default: ") + setting.initial + ".";
        size_t start = 0;
        while (start < meaning.size()) {
            size_t end = meaning.find(' ', start);
            if (end == std::string::npos)
                end = meaning.size();
            const std::string word = meaning.substr(start, end - start);
            if (line.size() + word.size() + 1 > 78) {
                text += line + "\n";
                line = "     ";
            }
            line += " " + word;
            start = end + 1;
        }
        text += line + "\n";
    }
    text +=
        "\nOther options:\n"
        "  --config FILE     read the settings from FILE\n"
        "  --check-config    check the settings, print every problem, exit 1 if there is one\n"
        "  --seed-demo       fill an empty database with the demo data and exit\n"
        "  --demo-data FILE  the rows --seed-demo imports (JSON lines, as admin export writes)\n"
        "  --man-page        print the manual page lotse-service(8) in roff\n"
        "  --help            print this text\n"
        "\nAdministration, on the database of the same settings:\n"
        "  lotse-service admin [--config FILE] [--db DATABASE] COMMAND\n"
        "  (lotse-service admin help lists the commands)\n";
    return text;
}

void writeManPage(std::ostream& out) {
    out << ".TH LOTSE\\-SERVICE 8\n"
           ".SH NAME\n"
           "lotse\\-service \\- the web service of the Lotse guidance assistant\n"
           ".SH SYNOPSIS\n"
           ".B lotse\\-service\n"
           "[\\fB\\-\\-config\\fR \\fIFILE\\fR] [\\fIoptions\\fR] [\\fB\\-\\-check\\-config\\fR]\n"
           ".br\n"
           ".B lotse\\-service\n"
           "[\\fB\\-\\-config\\fR \\fIFILE\\fR] \\fB\\-\\-db\\fR \\fIDATABASE\\fR "
           "\\fB\\-\\-seed\\-demo\\fR [\\fB\\-\\-demo\\-data\\fR \\fIFILE\\fR]\n"
           ".br\n"
           ".B lotse\\-service admin\n"
           "[\\fB\\-\\-config\\fR \\fIFILE\\fR] [\\fB\\-\\-db\\fR \\fIDATABASE\\fR] "
           "\\fICOMMAND\\fR\n"
           ".SH DESCRIPTION\n"
           "Serves the endpoints Lotse asks for help tickets and recorded solutions over HTTPS, "
           "backed by a SQLite file or a PostgreSQL database. Each request is logged as one "
           "line on standard error. With a health port, GET /health answers 200 while the "
           "database answers and 503 otherwise, and GET /metrics gives the Prometheus text "
           "format. SIGTERM stops the service cleanly.\n"
           ".SH CONFIGURATION\n"
           "The file named by \\fB\\-\\-config\\fR holds \\fIname\\fR = \\fIvalue\\fR lines; a "
           "line starting with # is a comment. Each setting may also be given as its option, "
           "which wins over the file. The packaged file is "
           "/etc/lotse\\-service/lotse\\-service.conf.\n";
    for (const ServiceSetting& setting : settings) {
        out << ".TP\n\\fB" << roff(setting.name) << "\\fR = \\fI" << roff(setting.value)
            << "\\fR (\\fB" << roff(setting.option) << "\\fR)\n"
            << roff(setting.meaning);
        if (setting.initial)
            out << " Default: " << roff(setting.initial) << ".";
        out << "\n";
    }
    out << ".SH OPTIONS\n"
           ".TP\n\\fB\\-\\-check\\-config\\fR\n"
           "Checks the settings (unknown names, bad values, missing settings, unreadable "
           "certificate or key, a health port equal to the public port), prints every problem "
           "and exits 1 if there is one, 0 otherwise.\n"
           ".TP\n\\fB\\-\\-seed\\-demo\\fR\n"
           "Fills an empty database with the demo data and exits.\n"
           ".TP\n\\fB\\-\\-help\\fR\n"
           "Prints every setting.\n"
           ".SH ADMINISTRATION\n"
           ".TP\n\\fBadmin list\\fR [\\fB\\-\\-state\\fR open|solved|confirmed|closed] "
           "[\\fB\\-\\-software\\fR \\fITEXT\\fR] [\\fB\\-\\-text\\fR \\fITEXT\\fR] "
           "[\\fB\\-\\-address\\fR \\fIADDRESS\\fR] [\\fB\\-\\-since\\fR \\fITIME\\fR] "
           "[\\fB\\-\\-until\\fR \\fITIME\\fR]\n"
           "Lists tickets: id, state, time, client address, software and question.\n"
           ".TP\n\\fBadmin show\\fR \\fITICKET\\fR\n"
           "Shows a ticket and the steps of its recorded solution.\n"
           ".TP\n\\fBadmin remove\\-capture\\fR \\fITICKET\\fR\n"
           "Removes the ticket's recorded solution: the ticket is open again and a solved "
           "report not yet fetched by its asker is withdrawn.\n"
           ".TP\n\\fBadmin delete\\-ticket\\fR \\fITICKET\\fR\n"
           "Deletes the ticket with its solution and feedback.\n"
           ".TP\n\\fBadmin export\\fR \\fIFILE\\fR\n"
           "Writes the whole database as JSON lines (\\- for standard output).\n"
           ".TP\n\\fBadmin import\\fR \\fIFILE\\fR\n"
           "Reads such a file into an empty database, all or nothing.\n"
           ".SH FILES\n"
           "/etc/lotse\\-service/lotse\\-service.conf, /var/lib/lotse\\-service/\n"
           ".SH EXIT STATUS\n"
           "0 on success (and after SIGTERM), 1 when the service cannot run or a check found "
           "problems, 2 for a bad command line or configuration.\n";
}
