#include "server/Schema.h"

#include "server/Database.h"

#include <iterator>

namespace {

// Step i brings the schema from version i to version i + 1. Steps are never
// changed once released; a change of the schema is a new step at the end.
const char* const migrations[] = {
    // 1: the first schema.
    R"sql(
    CREATE TABLE locale (
        id             INTEGER PRIMARY KEY,
        microsoft_lcid INTEGER NOT NULL,
        description    TEXT    NOT NULL
    );
    CREATE TABLE operating_system (
        id          INTEGER PRIMARY KEY,
        id_platform INTEGER NOT NULL,
        major       INTEGER NOT NULL,
        minor       INTEGER NOT NULL,
        build_no    INTEGER NOT NULL,
        description TEXT    NOT NULL,
        UNIQUE (id_platform, major, minor, build_no, description)
    );
    CREATE TABLE software (
        id                INTEGER PRIMARY KEY,
        id_locale         INTEGER NOT NULL REFERENCES locale (id),
        file_desc         TEXT    NOT NULL,
        product_name      TEXT    NOT NULL,
        file_version      TEXT    NOT NULL,
        file_version_full TEXT    NOT NULL,
        module_name       TEXT    NOT NULL,
        supported         INTEGER NOT NULL DEFAULT 0
    );
    CREATE INDEX software_identity ON software (file_desc, product_name, file_version, module_name);
    CREATE TABLE ticket (
        id                  INTEGER PRIMARY KEY,
        question            TEXT    NOT NULL,
        id_locale           INTEGER NOT NULL REFERENCES locale (id),
        id_operating_system INTEGER NOT NULL REFERENCES operating_system (id),
        id_state            INTEGER NOT NULL,
        hw_guid             TEXT    NOT NULL,
        username            TEXT    NOT NULL,
        created             TEXT    NOT NULL,
        id_capture          INTEGER REFERENCES capture (id)
    );
    CREATE INDEX ticket_state ON ticket (id_state);
    CREATE TABLE ticket_software (
        id_ticket   INTEGER NOT NULL REFERENCES ticket (id),
        id_software INTEGER NOT NULL REFERENCES software (id),
        PRIMARY KEY (id_ticket, id_software)
    ) WITHOUT ROWID;
    CREATE TABLE capture (
        id        INTEGER PRIMARY KEY,
        id_ticket INTEGER NOT NULL REFERENCES ticket (id),
        created   TEXT    NOT NULL
    );
    CREATE TABLE capture_action (
        id_capture   INTEGER NOT NULL REFERENCES capture (id),
        position     INTEGER NOT NULL,
        id_action    INTEGER NOT NULL,
        entered_text TEXT    NOT NULL,
        PRIMARY KEY (id_capture, position)
    ) WITHOUT ROWID;
    CREATE TABLE capture_element (
        id_capture      INTEGER NOT NULL,
        action_position INTEGER NOT NULL,
        position        INTEGER NOT NULL,
        name            TEXT    NOT NULL,
        class_name      TEXT    NOT NULL,
        automation_id   TEXT    NOT NULL,
        module_name     TEXT    NOT NULL,
        PRIMARY KEY (id_capture, action_position, position),
        FOREIGN KEY (id_capture, action_position) REFERENCES capture_action (id_capture, position)
    ) WITHOUT ROWID;
    CREATE TABLE feedback (
        id                   INTEGER PRIMARY KEY,
        id_ticket            INTEGER NOT NULL REFERENCES ticket (id),
        answer               TEXT    NOT NULL,
        sw_id                INTEGER NOT NULL,
        sw_file_desc         TEXT    NOT NULL,
        sw_product_name      TEXT    NOT NULL,
        sw_file_version      TEXT    NOT NULL,
        sw_file_version_full TEXT    NOT NULL,
        sw_module_name       TEXT    NOT NULL,
        created              TEXT    NOT NULL
    );
    CREATE TABLE solved_report (
        hw_guid   TEXT    NOT NULL,
        username  TEXT    NOT NULL,
        id_ticket INTEGER NOT NULL REFERENCES ticket (id),
        queued    TEXT    NOT NULL,
        PRIMARY KEY (hw_guid, username, id_ticket)
    ) WITHOUT ROWID;
    )sql",
};

int userVersion(Database& database) {
    Statement query(database, "PRAGMA user_version");
    return query.step() ? static_cast<int>(query.integer(0)) : -1;
}

} // namespace

int currentSchemaVersion() {
    return static_cast<int>(std::size(migrations));
}

bool migrateSchema(Database& database, std::string& error) {
    database.clearError();
    // WAL lets readers go on while one request writes; it is a property of the
    // file, so setting it once is enough, but it is harmless every start.
    {
        Statement wal(database, "PRAGMA journal_mode = WAL");
        if (!wal.step() || wal.text(0) != "wal") {
            error = database.failed() ? database.error() : "write-ahead logging not available";
            return false;
        }
    }
    database.exec("PRAGMA synchronous = NORMAL");
    int version = userVersion(database);
    if (version < 0) {
        error = database.error();
        return false;
    }
    if (version > currentSchemaVersion()) {
        error = "database schema version " + std::to_string(version) +
                " is newer than this service (" + std::to_string(currentSchemaVersion()) + ")";
        return false;
    }
    for (; version < currentSchemaVersion(); ++version) {
        Transaction step(database);
        database.exec(migrations[version]);
        database.exec("PRAGMA user_version = " + std::to_string(version + 1));
        if (!step.commit()) {
            error = "schema step " + std::to_string(version + 1) + ": " + database.error();
            return false;
        }
    }
    return true;
}
