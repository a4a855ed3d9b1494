#include "server/DataFile.h"

#include "base/Json.h"
#include "base/Utf8.h"
#include "server/Database.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace {

struct Table {
    const char* name;
    std::vector<const char*> columns;
    const char* key; // the ORDER BY of an export
    bool ids;        // an "id" column whose new values continue after an import
};

// References point backwards in this order, except a ticket's capture: a
// ticket is stored before its capture, so its "id_capture" is set once the
// captures are in.
const Table tables[] = {
    {"locale", {"id", "microsoft_lcid", "description"}, "id", true},
    {"operating_system",
     {"id", "id_platform", "major", "minor", "build_no", "description"},
     "id",
     true},
    {"software",
     {"id", "id_locale", "file_desc", "product_name", "file_version", "file_version_full",
      "module_name", "supported"},
     "id",
     true},
    {"ticket",
     {"id", "question", "id_locale", "id_operating_system", "id_state", "hw_guid", "username",
      "created", "id_capture", "client_address"},
     "id",
     true},
    {"ticket_software", {"id_ticket", "id_software"}, "id_ticket, id_software", false},
    {"capture", {"id", "id_ticket", "created", "client_address"}, "id", true},
    {"capture_action",
     {"id_capture", "position", "id_action", "entered_text"},
     "id_capture, position",
     false},
    {"capture_element",
     {"id_capture", "action_position", "position", "name", "class_name", "automation_id",
      "module_name"},
     "id_capture, action_position, position",
     false},
    {"feedback",
     {"id", "id_ticket", "answer", "sw_id", "sw_file_desc", "sw_product_name", "sw_file_version",
      "sw_file_version_full", "sw_module_name", "created", "client_address"},
     "id",
     true},
    {"solved_report",
     {"hw_guid", "username", "id_ticket", "queued"},
     "hw_guid, username, id_ticket",
     false},
};

constexpr char tableMember[] = "table";
constexpr char ticketCapture[] = "id_capture";

const Table* findTable(const std::string& name) {
    for (const Table& table : tables) {
        if (name == table.name)
            return &table;
    }
    return nullptr;
}

bool hasColumn(const Table& table, const std::string& column) {
    for (const char* known : table.columns) {
        if (column == known)
            return true;
    }
    return false;
}

String text(const std::string& utf8) {
    return Utf8::decode(utf8);
}

} // namespace

bool exportData(Database& database, std::ostream& out, std::string& error) {
    database.clearError();
    Transaction snapshot(database, Transaction::Read);
    for (const Table& table : tables) {
        std::string columns;
        for (const char* column : table.columns)
            columns += std::string(columns.empty() ? "" : ", ") + column;
        Statement rows(database,
                       "SELECT " + columns + " FROM " + table.name + " ORDER BY " + table.key);
        while (rows.step()) {
            ElementPtr row = Json::makeRoot();
            Json::ElementMap::setString(row, text(tableMember), text(table.name));
            for (size_t i = 0; i < table.columns.size(); ++i) {
                if (!rows.isNull(static_cast<int>(i)))
                    Json::ElementMap::setString(row, text(table.columns[i]),
                                                text(rows.text(static_cast<int>(i))));
            }
            out << Utf8::encode(Json::writeText(row)) << '\n';
        }
    }
    if (!snapshot.commit() || !out) {
        error = database.failed() ? database.error() : "cannot write the export";
        return false;
    }
    return true;
}

bool importData(Database& database, std::istream& in, std::string& error) {
    database.clearError();
    Transaction write(database);
    // One prepared insert per table and set of columns.
    std::map<std::string, std::unique_ptr<Statement>> inserts;
    std::vector<std::pair<std::string, std::string>> ticketCaptures; // ticket id, capture id
    std::string line;
    int number = 0;
    const auto refuse = [&](const std::string& why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        if (!Utf8::isValid(line))
            return refuse("not UTF-8");
        ElementPtr row = Json::parseText(text(line), 1);
        Json::ElementMap* members = row ? Json::asMap(row) : nullptr;
        if (!members || members->members.empty())
            return refuse("not a JSON object");
        const Table* table = findTable(Utf8::encode(Json::memberText(row, text(tableMember))));
        if (!table)
            return refuse("no known \"table\"");

        std::vector<std::pair<std::string, std::string>> values;
        std::string ticketId, captureId;
        for (const auto& [key, value] : members->members) {
            const std::string column = Utf8::encode(key);
            if (column == tableMember)
                continue;
            if (!hasColumn(*table, column))
                return refuse("unknown column \"" + column + "\" of " + table->name);
            std::string utf8 = Utf8::encode(Json::text(value));
            if (table->name == std::string("ticket") && column == "id")
                ticketId = utf8;
            if (table->name == std::string("ticket") && column == ticketCapture) {
                captureId = std::move(utf8);
                continue;
            }
            values.emplace_back(column, std::move(utf8));
        }
        if (!captureId.empty())
            ticketCaptures.emplace_back(ticketId, captureId);

        std::string columns, places;
        for (const auto& [column, value] : values) {
            columns += (columns.empty() ? "" : ", ") + column;
            places += places.empty() ? "?" : ", ?";
        }
        std::unique_ptr<Statement>& insert = inserts[std::string(table->name) + ":" + columns];
        if (!insert)
            insert = std::make_unique<Statement>(database,
                                                 "INSERT INTO " + std::string(table->name) + " (" +
                                                     columns + ") VALUES (" + places + ")");
        insert->reset();
        for (size_t i = 0; i < values.size(); ++i)
            insert->bind(static_cast<int>(i + 1), values[i].second);
        if (!insert->run())
            return refuse(database.error());
    }
    if (in.bad())
        return refuse("cannot read");
    Statement link(database, "UPDATE ticket SET id_capture = ? WHERE id = ?");
    for (const auto& [ticket, capture] : ticketCaptures) {
        link.reset();
        link.bind(1, capture).bind(2, ticket);
        if (!link.run()) {
            error = "ticket " + ticket + ": " + database.error();
            return false;
        }
    }
    for (const Table& table : tables) {
        if (table.ids)
            database.continueIdsAfterHighest(table.name);
    }
    if (!write.commit()) {
        error = database.error();
        return false;
    }
    return true;
}
