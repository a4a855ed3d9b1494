#include "server/Schema.h"

#include "server/Database.h"

#include <iterator>

namespace {

// Step i brings the schema from version i to version i + 1, in each database's
// own words; both lists always have the same steps. Steps are never changed once
// released; a change of the schema is a new step at the end of both lists.
const char* const sqliteSteps[] = {
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
    // 2: the client address each ticket, capture and feedback came from.
    R"sql(
    ALTER TABLE ticket ADD COLUMN client_address TEXT;
    ALTER TABLE capture ADD COLUMN client_address TEXT;
    ALTER TABLE feedback ADD COLUMN client_address TEXT;
    )sql",
    // 3: counters that every change of the ticket table and the lists keeps up
    // to date in its own transaction, so the ticket count and the question
    // whether a list changed are answered from one row instead of a scan.
    R"sql(
    CREATE TABLE service_counter (
        slot             INTEGER PRIMARY KEY,
        tickets          INTEGER NOT NULL DEFAULT 0,
        unsolved         INTEGER NOT NULL DEFAULT 0,
        ticket_changes   INTEGER NOT NULL DEFAULT 0,
        software_changes INTEGER NOT NULL DEFAULT 0,
        locale_changes   INTEGER NOT NULL DEFAULT 0,
        os_changes       INTEGER NOT NULL DEFAULT 0
    );
    INSERT INTO service_counter (slot, tickets, unsolved)
        SELECT 0, count(*), count(CASE WHEN id_state = 1 THEN 1 END) FROM ticket;
    CREATE TRIGGER ticket_counted_insert AFTER INSERT ON ticket BEGIN
        UPDATE service_counter SET tickets = tickets + 1, unsolved = unsolved + (NEW.id_state = 1),
            ticket_changes = ticket_changes + 1;
    END;
    CREATE TRIGGER ticket_counted_update AFTER UPDATE ON ticket BEGIN
        UPDATE service_counter
            SET unsolved = unsolved + (NEW.id_state = 1) - (OLD.id_state = 1),
                ticket_changes = ticket_changes + 1;
    END;
    CREATE TRIGGER ticket_counted_delete AFTER DELETE ON ticket BEGIN
        UPDATE service_counter SET tickets = tickets - 1, unsolved = unsolved - (OLD.id_state = 1),
            ticket_changes = ticket_changes + 1;
    END;
    CREATE TRIGGER ticket_software_insert AFTER INSERT ON ticket_software BEGIN
        UPDATE service_counter SET ticket_changes = ticket_changes + 1;
    END;
    CREATE TRIGGER ticket_software_update AFTER UPDATE ON ticket_software BEGIN
        UPDATE service_counter SET ticket_changes = ticket_changes + 1;
    END;
    CREATE TRIGGER ticket_software_delete AFTER DELETE ON ticket_software BEGIN
        UPDATE service_counter SET ticket_changes = ticket_changes + 1;
    END;
    CREATE TRIGGER software_insert AFTER INSERT ON software BEGIN
        UPDATE service_counter SET software_changes = software_changes + 1;
    END;
    CREATE TRIGGER software_update AFTER UPDATE ON software BEGIN
        UPDATE service_counter SET software_changes = software_changes + 1;
    END;
    CREATE TRIGGER software_delete AFTER DELETE ON software BEGIN
        UPDATE service_counter SET software_changes = software_changes + 1;
    END;
    CREATE TRIGGER locale_insert AFTER INSERT ON locale BEGIN
        UPDATE service_counter SET locale_changes = locale_changes + 1;
    END;
    CREATE TRIGGER locale_update AFTER UPDATE ON locale BEGIN
        UPDATE service_counter SET locale_changes = locale_changes + 1;
    END;
    CREATE TRIGGER locale_delete AFTER DELETE ON locale BEGIN
        UPDATE service_counter SET locale_changes = locale_changes + 1;
    END;
    CREATE TRIGGER operating_system_insert AFTER INSERT ON operating_system BEGIN
        UPDATE service_counter SET os_changes = os_changes + 1;
    END;
    CREATE TRIGGER operating_system_update AFTER UPDATE ON operating_system BEGIN
        UPDATE service_counter SET os_changes = os_changes + 1;
    END;
    CREATE TRIGGER operating_system_delete AFTER DELETE ON operating_system BEGIN
        UPDATE service_counter SET os_changes = os_changes + 1;
    END;
    )sql",
    // 4: PostgreSQL counts a ticket's change once per transaction; SQLite's
    // row triggers stay as they are.
    "",
    // 5: PostgreSQL writes new tickets that arrive together in one call.
    "",
};

// PostgreSQL keeps at most about 2.7 kB per B-tree index entry, and the texts
// that identify a software, a system or an asker come from clients, so their
// unique keys are built over hashes of the texts; a hash index serves the
// lookups by equal text.
const char* const postgresSteps[] = {
    // 1: the first schema.
    R"sql(
    CREATE TABLE locale (
        id             BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
        microsoft_lcid BIGINT NOT NULL,
        description    TEXT   NOT NULL
    );
    CREATE TABLE operating_system (
        id          BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
        id_platform BIGINT NOT NULL,
        major       BIGINT NOT NULL,
        minor       BIGINT NOT NULL,
        build_no    BIGINT NOT NULL,
        description TEXT   NOT NULL
    );
    CREATE UNIQUE INDEX operating_system_identity
        ON operating_system (id_platform, major, minor, build_no, md5(description));
    CREATE TABLE software (
        id                BIGINT  GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
        id_locale         BIGINT  NOT NULL REFERENCES locale (id),
        file_desc         TEXT    NOT NULL,
        product_name      TEXT    NOT NULL,
        file_version      TEXT    NOT NULL,
        file_version_full TEXT    NOT NULL,
        module_name       TEXT    NOT NULL,
        supported         INTEGER NOT NULL DEFAULT 0
    );
    CREATE UNIQUE INDEX software_identity
        ON software (md5(file_desc), md5(product_name), md5(file_version), md5(module_name));
    CREATE INDEX software_file_desc ON software USING hash (file_desc);
    CREATE TABLE ticket (
        id                  BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
        question            TEXT   NOT NULL,
        id_locale           BIGINT NOT NULL REFERENCES locale (id),
        id_operating_system BIGINT NOT NULL REFERENCES operating_system (id),
        id_state            BIGINT NOT NULL,
        hw_guid             TEXT   NOT NULL,
        username            TEXT   NOT NULL,
        created             TEXT   NOT NULL,
        id_capture          BIGINT
    );
    CREATE INDEX ticket_state ON ticket (id_state);
    CREATE TABLE ticket_software (
        id_ticket   BIGINT NOT NULL REFERENCES ticket (id),
        id_software BIGINT NOT NULL REFERENCES software (id),
        PRIMARY KEY (id_ticket, id_software)
    );
    CREATE TABLE capture (
        id        BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
        id_ticket BIGINT NOT NULL REFERENCES ticket (id),
        created   TEXT   NOT NULL
    );
    ALTER TABLE ticket ADD FOREIGN KEY (id_capture) REFERENCES capture (id);
    CREATE TABLE capture_action (
        id_capture   BIGINT NOT NULL REFERENCES capture (id),
        position     BIGINT NOT NULL,
        id_action    BIGINT NOT NULL,
        entered_text TEXT   NOT NULL,
        PRIMARY KEY (id_capture, position)
    );
    CREATE TABLE capture_element (
        id_capture      BIGINT NOT NULL,
        action_position BIGINT NOT NULL,
        position        BIGINT NOT NULL,
        name            TEXT   NOT NULL,
        class_name      TEXT   NOT NULL,
        automation_id   TEXT   NOT NULL,
        module_name     TEXT   NOT NULL,
        PRIMARY KEY (id_capture, action_position, position),
        FOREIGN KEY (id_capture, action_position) REFERENCES capture_action (id_capture, position)
    );
    CREATE TABLE feedback (
        id                   BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
        id_ticket            BIGINT NOT NULL REFERENCES ticket (id),
        answer               TEXT   NOT NULL,
        sw_id                BIGINT NOT NULL,
        sw_file_desc         TEXT   NOT NULL,
        sw_product_name      TEXT   NOT NULL,
        sw_file_version      TEXT   NOT NULL,
        sw_file_version_full TEXT   NOT NULL,
        sw_module_name       TEXT   NOT NULL,
        created              TEXT   NOT NULL
    );
    CREATE TABLE solved_report (
        hw_guid   TEXT   NOT NULL,
        username  TEXT   NOT NULL,
        id_ticket BIGINT NOT NULL REFERENCES ticket (id),
        queued    TEXT   NOT NULL
    );
    CREATE UNIQUE INDEX solved_report_key
        ON solved_report (md5(hw_guid), md5(username), id_ticket);
    CREATE INDEX solved_report_asker ON solved_report USING hash (hw_guid);
    )sql",
    // 2: the client address each ticket, capture and feedback came from.
    R"sql(
    ALTER TABLE ticket ADD COLUMN client_address TEXT;
    ALTER TABLE capture ADD COLUMN client_address TEXT;
    ALTER TABLE feedback ADD COLUMN client_address TEXT;
    )sql",
    // 3: the counters as in SQLite, in 64 rows: a transaction changes the row
    // of its connection's slot (PostgresDatabase::open takes a free one, else
    // the backend's process id chooses), so concurrent writers of several
    // processes do not queue for one row lock until each other's commit;
    // readers add the rows up. Statement triggers with transition tables change a counter once
    // per statement, also for an import of many rows.
    R"sql(
    CREATE TABLE service_counter (
        slot             INTEGER PRIMARY KEY,
        tickets          BIGINT NOT NULL DEFAULT 0,
        unsolved         BIGINT NOT NULL DEFAULT 0,
        ticket_changes   BIGINT NOT NULL DEFAULT 0,
        software_changes BIGINT NOT NULL DEFAULT 0,
        locale_changes   BIGINT NOT NULL DEFAULT 0,
        os_changes       BIGINT NOT NULL DEFAULT 0
    );
    INSERT INTO service_counter (slot) SELECT generate_series(0, 63);
    UPDATE service_counter SET tickets = (SELECT count(*) FROM ticket),
        unsolved = (SELECT count(*) FROM ticket WHERE id_state = 1) WHERE slot = 0;
    CREATE FUNCTION service_count_tickets() RETURNS trigger LANGUAGE plpgsql AS $f$
    DECLARE
        rows_changed BIGINT;
        open_now BIGINT;
        open_before BIGINT := 0;
    BEGIN
        SELECT count(*), count(*) FILTER (WHERE id_state = 1) INTO rows_changed, open_now
            FROM changed_rows;
        IF rows_changed = 0 THEN
            RETURN NULL;
        END IF;
        IF TG_OP = 'UPDATE' THEN
            SELECT count(*) FILTER (WHERE id_state = 1) INTO open_before FROM old_rows;
            rows_changed := 0;
        ELSIF TG_OP = 'DELETE' THEN
            rows_changed := -rows_changed;
            open_now := -open_now;
        END IF;
        UPDATE service_counter SET tickets = tickets + rows_changed,
            unsolved = unsolved + open_now - open_before, ticket_changes = ticket_changes + 1
            WHERE slot = coalesce(current_setting('lotse.counter_slot', true)::int,
                                 pg_backend_pid() % 64);
        RETURN NULL;
    END $f$;
    CREATE TRIGGER ticket_counted_insert AFTER INSERT ON ticket
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_tickets();
    CREATE TRIGGER ticket_counted_update AFTER UPDATE ON ticket
        REFERENCING OLD TABLE AS old_rows NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_tickets();
    CREATE TRIGGER ticket_counted_delete AFTER DELETE ON ticket
        REFERENCING OLD TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_tickets();
    -- A new ticket in one call, so that a request costs one round trip: the
    -- same steps as Store::createTicket. Returns the ticket's id, -1 for an
    -- unknown locale, -2 for an unknown software.
    CREATE FUNCTION service_create_ticket(p_question TEXT, p_locale BIGINT, p_hw_guid TEXT,
        p_username TEXT, p_sw_id BIGINT, p_file_desc TEXT, p_product_name TEXT,
        p_file_version TEXT, p_file_version_full TEXT, p_module_name TEXT, p_sw_locale BIGINT,
        p_os_platform BIGINT, p_os_major BIGINT, p_os_minor BIGINT, p_os_build BIGINT,
        p_os_description TEXT, p_state BIGINT, p_created TEXT, p_client_address TEXT)
    RETURNS BIGINT LANGUAGE plpgsql AS $f$
    DECLARE
        v_desc TEXT := p_file_desc;
        v_software BIGINT;
        v_locale BIGINT := p_locale;
        v_os BIGINT;
        v_ticket BIGINT;
    BEGIN
        PERFORM 1 FROM locale WHERE id = p_locale;
        IF NOT FOUND THEN
            RETURN -1;
        END IF;
        IF p_sw_id <> 0 THEN
            PERFORM 1 FROM software WHERE id = p_sw_id;
            IF p_sw_id < 0 OR NOT FOUND THEN
                RETURN -2;
            END IF;
            v_software := p_sw_id;
        ELSE
            IF v_desc = '' AND p_product_name = '' AND p_file_version = '' THEN
                v_desc := p_module_name;
            END IF;
            SELECT id INTO v_software FROM software WHERE file_desc = v_desc
                AND product_name = p_product_name AND file_version = p_file_version
                AND module_name = p_module_name ORDER BY id LIMIT 1;
            IF v_software IS NULL AND v_desc = '' THEN
                SELECT id INTO v_software FROM software WHERE file_desc = ''
                    AND product_name = '' AND file_version = '' ORDER BY id LIMIT 1;
            END IF;
            IF v_software IS NULL THEN
                IF p_sw_locale > 0 THEN
                    PERFORM 1 FROM locale WHERE id = p_sw_locale;
                    IF FOUND THEN
                        v_locale := p_sw_locale;
                    END IF;
                END IF;
                INSERT INTO software (id_locale, file_desc, product_name, file_version,
                        file_version_full, module_name, supported)
                    VALUES (v_locale, v_desc, p_product_name, p_file_version,
                        p_file_version_full, p_module_name, 0)
                    ON CONFLICT DO NOTHING RETURNING id INTO v_software;
                IF v_software IS NULL THEN
                    SELECT id INTO v_software FROM software WHERE file_desc = v_desc
                        AND product_name = p_product_name AND file_version = p_file_version
                        AND module_name = p_module_name ORDER BY id LIMIT 1;
                END IF;
            END IF;
        END IF;
        SELECT id INTO v_os FROM operating_system WHERE id_platform = p_os_platform
            AND major = p_os_major AND minor = p_os_minor AND build_no = p_os_build
            AND description = p_os_description;
        IF v_os IS NULL THEN
            INSERT INTO operating_system (id_platform, major, minor, build_no, description)
                VALUES (p_os_platform, p_os_major, p_os_minor, p_os_build, p_os_description)
                ON CONFLICT DO NOTHING RETURNING id INTO v_os;
            IF v_os IS NULL THEN
                SELECT id INTO STRICT v_os FROM operating_system WHERE id_platform = p_os_platform
                    AND major = p_os_major AND minor = p_os_minor AND build_no = p_os_build
                    AND description = p_os_description;
            END IF;
        END IF;
        INSERT INTO ticket (question, id_locale, id_operating_system, id_state, hw_guid,
                username, created, client_address)
            VALUES (p_question, p_locale, v_os, p_state, p_hw_guid, p_username, p_created,
                NULLIF(p_client_address, ''))
            RETURNING id INTO v_ticket;
        INSERT INTO ticket_software (id_ticket, id_software) VALUES (v_ticket, v_software);
        RETURN v_ticket;
    END $f$;
    CREATE FUNCTION service_count_change() RETURNS trigger LANGUAGE plpgsql AS $f$
    BEGIN
        IF EXISTS (SELECT 1 FROM changed_rows) THEN
            UPDATE service_counter
                SET ticket_changes = ticket_changes + (TG_ARGV[0] = 'ticket')::int,
                    software_changes = software_changes + (TG_ARGV[0] = 'software')::int,
                    locale_changes = locale_changes + (TG_ARGV[0] = 'locale')::int,
                    os_changes = os_changes + (TG_ARGV[0] = 'os')::int
                WHERE slot = coalesce(current_setting('lotse.counter_slot', true)::int,
                                 pg_backend_pid() % 64);
        END IF;
        RETURN NULL;
    END $f$;
    )sql"
    R"sql(
    CREATE TRIGGER ticket_software_insert AFTER INSERT ON ticket_software
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('ticket');
    CREATE TRIGGER ticket_software_update AFTER UPDATE ON ticket_software
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('ticket');
    CREATE TRIGGER ticket_software_delete AFTER DELETE ON ticket_software
        REFERENCING OLD TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('ticket');
    CREATE TRIGGER software_insert AFTER INSERT ON software
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('software');
    CREATE TRIGGER software_update AFTER UPDATE ON software
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('software');
    CREATE TRIGGER software_delete AFTER DELETE ON software
        REFERENCING OLD TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('software');
    CREATE TRIGGER locale_insert AFTER INSERT ON locale
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('locale');
    CREATE TRIGGER locale_update AFTER UPDATE ON locale
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('locale');
    CREATE TRIGGER locale_delete AFTER DELETE ON locale
        REFERENCING OLD TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('locale');
    CREATE TRIGGER operating_system_insert AFTER INSERT ON operating_system
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('os');
    CREATE TRIGGER operating_system_update AFTER UPDATE ON operating_system
        REFERENCING NEW TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('os');
    CREATE TRIGGER operating_system_delete AFTER DELETE ON operating_system
        REFERENCING OLD TABLE AS changed_rows
        FOR EACH STATEMENT EXECUTE FUNCTION service_count_change('os');
    )sql",
    // 4: a new ticket and its software link are written in one transaction,
    // and readers only ask whether the ticket changes count moved: the
    // ticket's trigger marks the transaction, and a link changed in a marked
    // transaction adds no second update of the counter row. A savepoint that
    // rolls back takes its mark with it (settings are undone with it).
    R"sql(
    CREATE OR REPLACE FUNCTION service_count_tickets() RETURNS trigger LANGUAGE plpgsql AS $f$
    DECLARE
        rows_changed BIGINT;
        open_now BIGINT;
        open_before BIGINT := 0;
    BEGIN
        SELECT count(*), count(*) FILTER (WHERE id_state = 1) INTO rows_changed, open_now
            FROM changed_rows;
        IF rows_changed = 0 THEN
            RETURN NULL;
        END IF;
        IF TG_OP = 'UPDATE' THEN
            SELECT count(*) FILTER (WHERE id_state = 1) INTO open_before FROM old_rows;
            rows_changed := 0;
        ELSIF TG_OP = 'DELETE' THEN
            rows_changed := -rows_changed;
            open_now := -open_now;
        END IF;
        UPDATE service_counter SET tickets = tickets + rows_changed,
            unsolved = unsolved + open_now - open_before, ticket_changes = ticket_changes + 1
            WHERE slot = coalesce(current_setting('lotse.counter_slot', true)::int,
                                 pg_backend_pid() % 64);
        PERFORM set_config('lotse.tickets_counted', 'yes', true);
        RETURN NULL;
    END $f$;
    CREATE OR REPLACE FUNCTION service_count_change() RETURNS trigger LANGUAGE plpgsql AS $f$
    BEGIN
        IF TG_ARGV[0] = 'ticket'
                AND current_setting('lotse.tickets_counted', true) IS NOT DISTINCT FROM 'yes' THEN
            RETURN NULL;
        END IF;
        IF EXISTS (SELECT 1 FROM changed_rows) THEN
            UPDATE service_counter
                SET ticket_changes = ticket_changes + (TG_ARGV[0] = 'ticket')::int,
                    software_changes = software_changes + (TG_ARGV[0] = 'software')::int,
                    locale_changes = locale_changes + (TG_ARGV[0] = 'locale')::int,
                    os_changes = os_changes + (TG_ARGV[0] = 'os')::int
                WHERE slot = coalesce(current_setting('lotse.counter_slot', true)::int,
                                 pg_backend_pid() % 64);
        END IF;
        RETURN NULL;
    END $f$;
    )sql",
    // 5: new tickets that arrive together in one call, one transaction and one
    // commit (TicketBatch.h): a JSON array with one array per ticket, holding
    // service_create_ticket's arguments in its order; returns the tickets' ids
    // or codes in the array's order. An error in one of them ends the call and
    // writes none of them.
    R"sql(
    CREATE FUNCTION service_create_tickets(p_tickets JSONB) RETURNS BIGINT[]
    LANGUAGE plpgsql AS $f$
    DECLARE
        t JSONB;
        ids BIGINT[] := '{}';
    BEGIN
        FOR i IN 0 .. jsonb_array_length(p_tickets) - 1 LOOP
            t := p_tickets -> i;
            ids := ids || service_create_ticket(t ->> 0, (t ->> 1)::BIGINT, t ->> 2, t ->> 3,
                (t ->> 4)::BIGINT, t ->> 5, t ->> 6, t ->> 7, t ->> 8, t ->> 9,
                (t ->> 10)::BIGINT, (t ->> 11)::BIGINT, (t ->> 12)::BIGINT,
                (t ->> 13)::BIGINT, (t ->> 14)::BIGINT, t ->> 15, (t ->> 16)::BIGINT,
                t ->> 17, t ->> 18);
        END LOOP;
        RETURN ids;
    END $f$;
    )sql",
};

static_assert(std::size(sqliteSteps) == std::size(postgresSteps));

// The schema version as each database keeps it: SQLite in the file's
// user_version, PostgreSQL in a table of one row. PostgreSQL's steps run under
// an advisory lock, so service processes that start together on a new database
// migrate it once; SQLite's write transaction already excludes the others.
int readVersion(Database& database) {
    if (database.kind() == Database::Kind::Sqlite) {
        Statement query(database, "PRAGMA user_version");
        return query.step() ? static_cast<int>(query.integer(0)) : -1;
    }
    // The key is any number of our own, the same in every process.
    database.exec("SELECT pg_advisory_xact_lock(7310500)");
    database.exec("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)");
    Statement query(database, "SELECT version FROM schema_version");
    if (query.step())
        return static_cast<int>(query.integer(0));
    return database.exec("INSERT INTO schema_version (version) VALUES (0)") ? 0 : -1;
}

void writeVersion(Database& database, int version) {
    if (database.kind() == Database::Kind::Sqlite)
        database.exec("PRAGMA user_version = " + std::to_string(version));
    else
        Statement(database, "UPDATE schema_version SET version = ?").bind(1, version).run();
}

} // namespace

int currentSchemaVersion() {
    return static_cast<int>(std::size(sqliteSteps));
}

bool migrateSchema(Database& database, std::string& error) {
    database.clearError();
    const bool sqlite = database.kind() == Database::Kind::Sqlite;
    const char* const* steps = sqlite ? sqliteSteps : postgresSteps;
    for (;;) {
        Transaction step(database);
        const int version = readVersion(database);
        if (version < 0 || database.failed()) {
            error = database.error();
            return false;
        }
        if (version > currentSchemaVersion()) {
            error = "database schema version " + std::to_string(version) +
                    " is newer than this service (" + std::to_string(currentSchemaVersion()) + ")";
            return false;
        }
        if (version == currentSchemaVersion()) {
            if (step.commit())
                return true;
            error = database.error();
            return false;
        }
        database.exec(steps[version]);
        writeVersion(database, version + 1);
        if (!step.commit()) {
            error = "schema step " + std::to_string(version + 1) + ": " + database.error();
            return false;
        }
    }
}
