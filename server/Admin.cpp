#include "server/Admin.h"

#include "base/Protocol.h"
#include "server/DataFile.h"
#include "server/Database.h"
#include "server/Schema.h"
#include "server/ServiceConfig.h"
#include "server/ServiceLog.h"
#include "server/Store.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const adminUsage =
    "usage: lotse-service admin [--config FILE] [--db DATABASE] COMMAND\n"
    "commands:\n"
    "  list [--state open|solved|confirmed|closed] [--software TEXT] [--text TEXT]\n"
    "       [--address ADDRESS] [--since TIME] [--until TIME]\n"
    "                          tickets: id, state, created (UTC), client address, software,\n"
    "                          question; TEXT matches a part, ignoring ASCII case; TIME as\n"
    "                          \"2026-01-31\" or \"2026-01-31 12:00:00\"\n"
    "  show TICKET             the ticket, its software, feedback and recorded solution\n"
    "  remove-capture TICKET   removes the recorded solution: the ticket is open again and\n"
    "                          a solved report its asker has not fetched is withdrawn\n"
    "  delete-ticket TICKET    deletes the ticket with its solution and feedback\n"
    "  export FILE             the whole database as JSON lines (- for standard output)\n"
    "  import FILE             such a file into an empty database, all or nothing\n";

const char* const stateNames[] = {"", "open", "solved", "confirmed", "closed"};

const char* stateName(int64_t state) {
    return state >= 1 && state <= 4 ? stateNames[state] : "?";
}

// One line for a text that may hold line breaks or tabs.
std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// For LIKE ... ESCAPE '!': the operator's text matches as it is.
std::string likePattern(const std::string& text) {
    std::string out = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == '!')
            out += '!';
        out += c;
    }
    return out + "%";
}

// "2026-01-31" or "2026-01-31 12:00:00", as the rows keep their times.
bool isTime(const std::string& text) {
    const std::string shape = "0000-00-00 00:00:00";
    if (text.size() != 10 && text.size() != shape.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (shape[i] == '0' ? !std::isdigit(static_cast<unsigned char>(text[i]))
                            : text[i] != shape[i])
            return false;
    }
    return true;
}

bool parseId(const std::string& text, int64_t& id) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    id = std::stoll(text);
    return true;
}

int fail(Database& database, const std::string& what) {
    ServiceLog::writef("admin: %s: %s", what.c_str(), database.error().c_str());
    return 1;
}

int usageError(const std::string& problem) {
    std::fprintf(stderr, "lotse-service admin: %s\n%s", problem.c_str(), adminUsage);
    return 2;
}

// "solved" -> 2; 0 for no such state.
int64_t stateNamed(const std::string& name) {
    for (int64_t i = 1; i <= 4; ++i) {
        if (name == stateNames[i])
            return i;
    }
    return 0;
}

int list(Database& database, const std::vector<std::string>& args) {
    std::string where;
    std::vector<std::string> values;
    const auto add = [&](const std::string& condition, const std::string& value) {
        where += (where.empty() ? " WHERE " : " AND ") + condition;
        values.push_back(value);
    };
    for (size_t i = 0; i < args.size(); i += 2) {
        if (i + 1 >= args.size())
            return usageError(args[i] + " needs a value");
        const std::string& value = args[i + 1];
        if (args[i] == "--state") {
            const int64_t state = stateNamed(value);
            if (!state)
                return usageError("no state \"" + value + "\"");
            add("t.id_state = ?", std::to_string(state));
        } else if (args[i] == "--software") {
            add("EXISTS (SELECT 1 FROM ticket_software ts JOIN software s ON s.id = "
                "ts.id_software WHERE ts.id_ticket = t.id AND lower(s.file_desc || ' ' || "
                "s.product_name || ' ' || s.file_version || ' ' || s.module_name) LIKE lower(?) "
                "ESCAPE '!')",
                likePattern(value));
        } else if (args[i] == "--text") {
            add("lower(t.question) LIKE lower(?) ESCAPE '!'", likePattern(value));
        } else if (args[i] == "--address") {
            add("t.client_address = ?", value);
        } else if ((args[i] == "--since" || args[i] == "--until") && !isTime(value)) {
            return usageError(args[i] + " needs a time as 2026-01-31 or 2026-01-31 12:00:00");
        } else if (args[i] == "--since") {
            add("t.created >= ?", value);
        } else if (args[i] == "--until") {
            // A day alone means up to its end.
            add("t.created <= ?", value.size() == 10 ? value + " 23:59:59" : value);
        } else {
            return usageError("unknown list option " + args[i]);
        }
    }
    database.clearError();
    Transaction snapshot(database, Transaction::Read);
    std::map<int64_t, std::string> software;
    {
        Statement names(database, "SELECT ts.id_ticket, s.file_desc, s.file_version FROM "
                                  "ticket_software ts JOIN software s ON s.id = ts.id_software "
                                  "ORDER BY ts.id_ticket, ts.id_software");
        while (names.step()) {
            std::string& entry = software[names.integer(0)];
            std::string name = names.text(1);
            if (!names.text(2).empty())
                name += " " + names.text(2);
            entry += (entry.empty() ? "" : "; ") + (name.empty() ? "(any)" : name);
        }
    }
    Statement query(database, "SELECT t.id, t.id_state, t.created, "
                              "COALESCE(t.client_address, ''), t.question FROM ticket t" +
                                  where + " ORDER BY t.id");
    for (size_t i = 0; i < values.size(); ++i)
        query.bind(static_cast<int>(i + 1), values[i]);
    std::printf("ID\tSTATE\tCREATED\tADDRESS\tSOFTWARE\tQUESTION\n");
    while (query.step()) {
        const std::string address = query.text(3);
        std::printf("%lld\t%s\t%s\t%s\t%s\t%s\n", static_cast<long long>(query.integer(0)),
                    stateName(query.integer(1)), query.text(2).c_str(),
                    address.empty() ? "-" : address.c_str(),
                    oneLine(software[query.integer(0)]).c_str(), oneLine(query.text(4)).c_str());
    }
    if (!snapshot.commit())
        return fail(database, "list");
    return 0;
}

const char* actionName(int64_t action) {
    switch (action) {
    case Action::leftClick:
        return "click";
    case Action::leftDoubleClick:
        return "double-click";
    case Action::middleClick:
        return "middle click";
    case Action::rightClick:
        return "right click";
    case Action::enterKey:
        return "Enter";
    case Action::textInput:
        return "type";
    }
    return "?";
}

int show(Database& database, int64_t ticketId) {
    database.clearError();
    Transaction snapshot(database, Transaction::Read);
    int64_t captureId = 0;
    {
        Statement ticket(
            database, "SELECT t.question, t.id_state, t.created, COALESCE(t.client_address, ''), "
                      "t.hw_guid, t.username, COALESCE(t.id_capture, 0), l.description, "
                      "o.description FROM ticket t JOIN locale l ON l.id = t.id_locale "
                      "JOIN operating_system o ON o.id = t.id_operating_system "
                      "WHERE t.id = ?");
        ticket.bind(1, ticketId);
        if (!ticket.step()) {
            if (database.failed())
                return fail(database, "show");
            std::fprintf(stderr, "lotse-service admin: no ticket %lld\n",
                         static_cast<long long>(ticketId));
            return 1;
        }
        captureId = ticket.integer(6);
        std::printf("Ticket %lld (%s)\n", static_cast<long long>(ticketId),
                    stateName(ticket.integer(1)));
        std::printf("  Question: %s\n", oneLine(ticket.text(0)).c_str());
        std::printf("  Created:  %s UTC from %s\n", ticket.text(2).c_str(),
                    ticket.text(3).empty() ? "-" : ticket.text(3).c_str());
        std::printf("  Asker:    %s on %s\n", oneLine(ticket.text(5)).c_str(),
                    oneLine(ticket.text(4)).c_str());
        std::printf("  Language: %s; system: %s\n", ticket.text(7).c_str(),
                    oneLine(ticket.text(8)).c_str());
    }
    {
        Statement software(database,
                           "SELECT s.id, s.file_desc, s.product_name, s.file_version_full, "
                           "s.module_name FROM ticket_software ts JOIN software s ON s.id = "
                           "ts.id_software WHERE ts.id_ticket = ? ORDER BY s.id");
        software.bind(1, ticketId);
        while (software.step())
            std::printf("  Software: %lld %s (%s %s, %s)\n",
                        static_cast<long long>(software.integer(0)),
                        oneLine(software.text(1)).c_str(), oneLine(software.text(2)).c_str(),
                        oneLine(software.text(3)).c_str(), oneLine(software.text(4)).c_str());
    }
    {
        Statement feedback(database, "SELECT answer, created, COALESCE(client_address, '') FROM "
                                     "feedback WHERE id_ticket = ? ORDER BY id");
        feedback.bind(1, ticketId);
        while (feedback.step())
            std::printf("  Feedback: %s at %s from %s\n", feedback.text(0).c_str(),
                        feedback.text(1).c_str(),
                        feedback.text(2).empty() ? "-" : feedback.text(2).c_str());
    }
    if (captureId) {
        {
            Statement capture(database, "SELECT created, COALESCE(client_address, '') FROM "
                                        "capture WHERE id = ?");
            capture.bind(1, captureId);
            if (capture.step())
                std::printf("Solution %lld, recorded %s UTC from %s:\n",
                            static_cast<long long>(captureId), capture.text(0).c_str(),
                            capture.text(1).empty() ? "-" : capture.text(1).c_str());
        }
        // The steps as the service hands them out, in a snapshot of their own.
        if (!snapshot.commit())
            return fail(database, "show");
        Store store(database);
        std::vector<CaptureActionRow> actions;
        bool found = false;
        if (!store.capture(captureId, actions, found))
            return fail(database, "show");
        for (size_t i = 0; i < actions.size(); ++i) {
            const CaptureActionRow& action = actions[i];
            std::printf("  %zu. %s", i + 1, actionName(action.idAction));
            if (action.elements.empty()) {
                if (action.idAction == Action::textInput)
                    std::printf(" \"%s\"", oneLine(action.enteredText).c_str());
                std::printf("\n");
                continue;
            }
            const CaptureElementRow& target = action.elements.front();
            std::printf(" \"%s\" (%s", oneLine(target.name).c_str(),
                        oneLine(target.className).c_str());
            if (!target.automationId.empty())
                std::printf(", id %s", oneLine(target.automationId).c_str());
            std::printf(", %s)\n", oneLine(target.moduleName).c_str());
            // The way from the desktop down to the element.
            std::string path;
            for (size_t j = action.elements.size(); j-- > 1;) {
                const CaptureElementRow& level = action.elements[j];
                path += (path.empty() ? "" : " > ") +
                        oneLine(level.name.empty() ? "[" + level.className + "]" : level.name);
            }
            if (!path.empty())
                std::printf("     in %s\n", path.c_str());
        }
        return 0;
    }
    std::printf("No solution recorded.\n");
    if (!snapshot.commit())
        return fail(database, "show");
    return 0;
}

// The capture's rows and the ticket's link to it; the caller's transaction.
void deleteCapture(Database& database, int64_t captureId) {
    Statement(database, "UPDATE ticket SET id_capture = NULL WHERE id_capture = ?")
        .bind(1, captureId)
        .run();
    Statement(database, "DELETE FROM capture_element WHERE id_capture = ?")
        .bind(1, captureId)
        .run();
    Statement(database, "DELETE FROM capture_action WHERE id_capture = ?").bind(1, captureId).run();
    Statement(database, "DELETE FROM capture WHERE id = ?").bind(1, captureId).run();
}

// The ticket's capture, or 0; -1 for no such ticket.
int64_t captureOf(Database& database, int64_t ticketId) {
    Statement query(database, "SELECT COALESCE(id_capture, 0) FROM ticket WHERE id = ?");
    query.bind(1, ticketId);
    return query.step() ? query.integer(0) : -1;
}

int removeCapture(Database& database, int64_t ticketId) {
    database.clearError();
    Transaction write(database);
    const int64_t captureId = captureOf(database, ticketId);
    if (captureId <= 0) {
        if (database.failed())
            return fail(database, "remove-capture");
        std::fprintf(stderr, "lotse-service admin: %s %lld\n",
                     captureId < 0 ? "no ticket" : "no solution recorded for ticket",
                     static_cast<long long>(ticketId));
        return 1;
    }
    // The asker's Lotse is not to be told of a solution that is gone; one it
    // already fetched stays told.
    int64_t withdrawn = 0;
    {
        Statement reports(database, "DELETE FROM solved_report WHERE id_ticket = ? RETURNING 1");
        reports.bind(1, ticketId);
        while (reports.step())
            ++withdrawn;
    }
    deleteCapture(database, captureId);
    Statement(database, "UPDATE ticket SET id_state = ? WHERE id = ?")
        .bind(1, TicketOpen)
        .bind(2, ticketId)
        .run();
    if (!write.commit())
        return fail(database, "remove-capture");
    ServiceLog::audit(ServiceLog::timestamp() + " admin: removed capture " +
                      std::to_string(captureId) + " of ticket " + std::to_string(ticketId) +
                      "; the ticket is open again" +
                      (withdrawn ? "; its unfetched solved report was withdrawn" : ""));
    return 0;
}

int deleteTicket(Database& database, int64_t ticketId) {
    database.clearError();
    Transaction write(database);
    const int64_t captureId = captureOf(database, ticketId);
    if (captureId < 0) {
        if (database.failed())
            return fail(database, "delete-ticket");
        std::fprintf(stderr, "lotse-service admin: no ticket %lld\n",
                     static_cast<long long>(ticketId));
        return 1;
    }
    Statement(database, "UPDATE ticket SET id_capture = NULL WHERE id = ?").bind(1, ticketId).run();
    // Every capture of the ticket (a removed one leaves none behind, but an
    // imported database might hold more than the linked one).
    std::vector<int64_t> captures;
    {
        Statement query(database, "SELECT id FROM capture WHERE id_ticket = ?");
        query.bind(1, ticketId);
        while (query.step())
            captures.push_back(query.integer(0));
    }
    for (int64_t capture : captures)
        deleteCapture(database, capture);
    for (const char* sql :
         {"DELETE FROM solved_report WHERE id_ticket = ?",
          "DELETE FROM feedback WHERE id_ticket = ?",
          "DELETE FROM ticket_software WHERE id_ticket = ?", "DELETE FROM ticket WHERE id = ?"})
        Statement(database, sql).bind(1, ticketId).run();
    if (!write.commit())
        return fail(database, "delete-ticket");
    ServiceLog::audit(ServiceLog::timestamp() + " admin: deleted ticket " +
                      std::to_string(ticketId));
    return 0;
}

int exportTo(Database& database, const std::string& path) {
    std::string error;
    if (path == "-") {
        if (!exportData(database, std::cout, error) || !std::cout.flush()) {
            ServiceLog::writef("admin: export: %s", error.c_str());
            return 1;
        }
        return 0;
    }
    // Into a new file beside the target, renamed when complete: a failed
    // export never leaves a half file under the name.
    const std::string partial = path + ".partial";
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (!out) {
            std::fprintf(stderr, "lotse-service admin: cannot write %s\n", partial.c_str());
            return 1;
        }
        if (!exportData(database, out, error) || !out.flush()) {
            std::remove(partial.c_str());
            ServiceLog::writef("admin: export: %s", error.c_str());
            return 1;
        }
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        std::fprintf(stderr, "lotse-service admin: cannot write %s\n", path.c_str());
        return 1;
    }
    return 0;
}

int importFrom(Database& database, const std::string& path) {
    Store store(database);
    bool empty = false;
    if (!store.isEmpty(empty))
        return fail(database, "import");
    if (!empty) {
        std::fprintf(stderr, "lotse-service admin: the database already holds data; an import "
                             "goes into an empty database only\n");
        return 1;
    }
    std::ifstream file;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "lotse-service admin: cannot read %s\n", path.c_str());
            return 1;
        }
    }
    std::string error;
    if (!importData(database, path == "-" ? std::cin : file, error)) {
        ServiceLog::writef("admin: import %s: %s", path.c_str(), error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int runAdmin(int argc, const char* const* argv) {
    ServiceOptions options;
    std::vector<std::string> problems;
    int i = 1;
    std::string database;
    for (; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--config")
            readServiceConfig(argv[i + 1], options, problems);
        else if (arg == "--db")
            database = argv[i + 1];
        else
            break;
    }
    if (!database.empty())
        options.database = database;
    ServiceLog::addSecret(options.accessCode);
    ServiceLog::addDatabaseSecrets(options.database);
    if (i >= argc || std::string(argv[i]) == "help" || std::string(argv[i]) == "--help") {
        std::fputs(adminUsage, i >= argc ? stderr : stdout);
        return i >= argc ? 2 : 0;
    }
    for (const std::string& problem : problems)
        std::fprintf(stderr, "lotse-service admin: %s\n", ServiceLog::clean(problem).c_str());
    if (!problems.empty())
        return 2;
    if (options.database.empty())
        return usageError("no database (--db, or --config with \"database = ...\")");

    const std::string command = argv[i];
    const std::vector<std::string> args(argv + i + 1, argv + argc);
    const bool needsTicket =
        command == "show" || command == "remove-capture" || command == "delete-ticket";
    const bool needsFile = command == "export" || command == "import";
    if (!needsTicket && !needsFile && command != "list")
        return usageError("unknown command " + command);
    int64_t ticketId = 0;
    if (needsTicket && (args.size() != 1 || !parseId(args[0], ticketId)))
        return usageError(command + " needs a ticket number");
    if (needsFile && args.size() != 1)
        return usageError(command + " needs a file");

    std::string error;
    std::unique_ptr<Database> db = Database::open(options.database, error);
    if (!db || !migrateSchema(*db, error)) {
        ServiceLog::writef("admin: %s: %s",
                           Database::isPostgresLocation(options.database)
                               ? "PostgreSQL"
                               : options.database.c_str(),
                           error.c_str());
        return 1;
    }
    if (command == "list")
        return list(*db, args);
    if (command == "show")
        return show(*db, ticketId);
    if (command == "remove-capture")
        return removeCapture(*db, ticketId);
    if (command == "delete-ticket")
        return deleteTicket(*db, ticketId);
    if (command == "export")
        return exportTo(*db, args[0]);
    return importFrom(*db, args[0]);
}
