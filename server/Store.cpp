#include "server/Store.h"

#include "server/Database.h"
#include "server/DataVersion.h"
#include "server/TicketFunction.h"

#include <algorithm>
#include <map>

bool Store::locales(std::vector<LocaleRow>& out) {
    database.clearError();
    Statement query(database, "SELECT id, microsoft_lcid, description FROM locale ORDER BY id");
    while (query.step())
        out.push_back(LocaleRow{query.integer(0), query.integer(1), query.text(2)});
    return !database.failed();
}

bool Store::operatingSystems(std::vector<OsRow>& out) {
    database.clearError();
    Statement query(database, "SELECT id, id_platform, major, minor, build_no, description "
                              "FROM operating_system ORDER BY id");
    while (query.step())
        out.push_back(OsRow{query.integer(0), query.integer(1), query.integer(2), query.integer(3),
                            query.integer(4), query.text(5)});
    return !database.failed();
}

bool Store::software(std::vector<SoftwareRow>& out) {
    database.clearError();
    Statement query(database,
                    "SELECT id, id_locale, file_desc, product_name, file_version, "
                    "file_version_full, module_name, supported FROM software ORDER BY id");
    while (query.step()) {
        SoftwareRow row;
        row.id = query.integer(0);
        row.idLocale = query.integer(1);
        row.fileDesc = query.text(2);
        row.productName = query.text(3);
        row.fileVersion = query.text(4);
        row.fileVersionFull = query.text(5);
        row.moduleName = query.text(6);
        row.supported = query.integer(7) != 0;
        out.push_back(std::move(row));
    }
    return !database.failed();
}

bool Store::tickets(std::vector<TicketRow>& out) {
    Transaction snapshot(database, Transaction::Read);
    std::map<int64_t, size_t> index;
    {
        Statement query(database, "SELECT id, question, id_operating_system, id_state, created, "
                                  "COALESCE(id_capture, 0), id_locale FROM ticket ORDER BY id");
        while (query.step()) {
            TicketRow row;
            row.id = query.integer(0);
            row.question = query.text(1);
            row.idOperatingSystem = query.integer(2);
            row.idState = query.integer(3);
            row.created = query.text(4);
            row.idCapture = query.integer(5);
            row.idLocale = query.integer(6);
            index[row.id] = out.size();
            out.push_back(std::move(row));
        }
    }
    Statement links(database, "SELECT id_ticket, id_software FROM ticket_software "
                              "ORDER BY id_ticket, id_software");
    while (links.step()) {
        auto it = index.find(links.integer(0));
        if (it != index.end())
            out[it->second].software.push_back(links.integer(1));
    }
    return snapshot.commit();
}

bool Store::ticketCounts(int64_t& total, int64_t& unsolved) {
    database.clearError();
    DataVersion version;
    if (!readDataVersion(database, version))
        return false;
    total = version.tickets;
    unsolved = version.unsolved;
    return true;
}

bool Store::capture(int64_t captureId, std::vector<CaptureActionRow>& out, bool& found) {
    Transaction snapshot(database, Transaction::Read);
    found = exists("SELECT 1 FROM capture WHERE id = ?", captureId);
    if (!found)
        return snapshot.commit();
    {
        Statement actions(database, "SELECT id_action, entered_text FROM capture_action "
                                    "WHERE id_capture = ? ORDER BY position");
        actions.bind(1, captureId);
        while (actions.step())
            out.push_back(CaptureActionRow{actions.integer(0), actions.text(1), {}});
    }
    Statement elements(database,
                       "SELECT action_position, name, class_name, automation_id, module_name "
                       "FROM capture_element WHERE id_capture = ? "
                       "ORDER BY action_position, position");
    elements.bind(1, captureId);
    while (elements.step()) {
        const int64_t action = elements.integer(0);
        if (action < 0 || action >= static_cast<int64_t>(out.size()))
            continue;
        out[action].elements.push_back(CaptureElementRow{elements.text(1), elements.text(2),
                                                         elements.text(3), elements.text(4)});
    }
    return snapshot.commit();
}

bool Store::exists(const char* sql, int64_t id) {
    Statement query(database, sql);
    query.bind(1, id);
    return query.step();
}

int64_t Store::findOrInsertOs(const OsRow& os) {
    auto find = [&]() -> int64_t {
        Statement query(database, "SELECT id FROM operating_system WHERE id_platform = ? AND "
                                  "major = ? AND minor = ? AND build_no = ? AND description = ?");
        query.bind(1, os.idPlatform).bind(2, os.major).bind(3, os.minor).bind(4, os.buildNo);
        query.bind(5, os.description);
        return query.step() ? query.integer(0) : 0;
    };
    // Most tickets come from a system the catalogue already holds.
    if (int64_t known = find())
        return known;
    Statement insert(database, "INSERT INTO operating_system (id_platform, major, minor, build_no, "
                               "description) VALUES (?, ?, ?, ?, ?) ON CONFLICT DO NOTHING");
    insert.bind(1, os.idPlatform).bind(2, os.major).bind(3, os.minor).bind(4, os.buildNo);
    insert.bind(5, os.description).run();
    return find();
}

int64_t Store::wildcardSoftwareId() {
    Statement query(database, "SELECT id FROM software WHERE file_desc = '' AND "
                              "product_name = '' AND file_version = '' ORDER BY id LIMIT 1");
    return query.step() ? query.integer(0) : 0;
}

// A catalogue id is taken as it is. A software without one (sw_id 0, from the
// on-screen pick) is looked up by its description, product name, short version
// and module name, and added to the catalogue when it is not there yet, so later
// tickets for the same program share one entry. The program treats an entry with
// empty description, product name and version as "any software"; a picked program
// without a version resource (Wine's own programs have none) would become such an
// entry, so its module name stands in as the description. With no texts at all
// the ticket belongs to the wildcard entry.
int64_t Store::softwareForTicket(const NewTicket& ticket, StoreResult& result) {
    if (ticket.swId != 0) {
        if (ticket.swId < 0 || !exists("SELECT 1 FROM software WHERE id = ?", ticket.swId)) {
            result = StoreResult::UnknownSoftware;
            return 0;
        }
        return ticket.swId;
    }
    std::string fileDesc = ticket.swFileDesc;
    if (fileDesc.empty() && ticket.swProductName.empty() && ticket.swFileVersion.empty())
        fileDesc = ticket.swModuleName;
    auto find = [&]() -> int64_t {
        Statement query(database, "SELECT id FROM software WHERE file_desc = ? AND "
                                  "product_name = ? AND file_version = ? AND module_name = ? "
                                  "ORDER BY id LIMIT 1");
        query.bind(1, fileDesc).bind(2, ticket.swProductName).bind(3, ticket.swFileVersion);
        query.bind(4, ticket.swModuleName);
        return query.step() ? query.integer(0) : 0;
    };
    if (int64_t known = find())
        return known;
    if (fileDesc.empty()) {
        if (int64_t wildcard = wildcardSoftwareId())
            return wildcard;
    }
    int64_t locale = ticket.idLocale;
    if (ticket.swIdLocale > 0 && exists("SELECT 1 FROM locale WHERE id = ?", ticket.swIdLocale))
        locale = ticket.swIdLocale;
    // Another request may add the same program at this moment; where the
    // database keys the catalogue by these texts, the later one waits for it and
    // then finds its entry.
    {
        Statement insert(database,
                         "INSERT INTO software (id_locale, file_desc, product_name, "
                         "file_version, file_version_full, module_name, supported) "
                         "VALUES (?, ?, ?, ?, ?, ?, 0) ON CONFLICT DO NOTHING RETURNING id");
        insert.bind(1, locale).bind(2, fileDesc).bind(3, ticket.swProductName);
        insert.bind(4, ticket.swFileVersion).bind(5, ticket.swFileVersionFull);
        insert.bind(6, ticket.swModuleName);
        if (insert.step())
            return insert.integer(0);
    }
    return find();
}

StoreResult Store::createTicket(const NewTicket& ticket, int64_t& ticketId) {
    if (database.kind() == Database::Kind::Postgres)
        return createTicketInOneCall(database, ticket, clientAddress, ticketId);
    Transaction write(database);
    if (!exists("SELECT 1 FROM locale WHERE id = ?", ticket.idLocale))
        return database.failed() ? StoreResult::Failed : StoreResult::UnknownLocale;
    StoreResult result = StoreResult::Ok;
    const int64_t softwareId = softwareForTicket(ticket, result);
    if (result != StoreResult::Ok)
        return result;
    const int64_t osId = findOrInsertOs(ticket.os);
    if (osId == 0 && !database.failed())
        database.fail("operating system row not found after insert");
    Statement insert(database, "INSERT INTO ticket (question, id_locale, id_operating_system, "
                               "id_state, hw_guid, username, created, client_address) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, NULLIF(?, '')) RETURNING id");
    insert.bind(1, ticket.question).bind(2, ticket.idLocale).bind(3, osId);
    insert.bind(4, TicketOpen).bind(5, ticket.hwGuid).bind(6, ticket.username);
    insert.bind(7, currentTimestamp()).bind(8, clientAddress);
    if (insert.step())
        ticketId = insert.integer(0);
    Statement link(database, "INSERT INTO ticket_software (id_ticket, id_software) VALUES (?, ?)");
    link.bind(1, ticketId).bind(2, softwareId).run();
    return write.commit() ? StoreResult::Ok : StoreResult::Failed;
}

StoreResult Store::storeCapture(int64_t ticketId, const std::vector<CaptureActionRow>& actions,
                                int64_t& captureId) {
    Transaction write(database);
    const std::string now = currentTimestamp();
    std::string hwGuid, username;
    {
        // A solution is recorded for an open ticket only; a solved or confirmed
        // one keeps the capture its asker was told about. The state changes
        // first and only from open: of two uploads for one ticket at the same
        // moment, in this process or another, the second waits for the first's
        // row and then finds the ticket no longer open.
        Statement solve(database, "UPDATE ticket SET id_state = ? WHERE id = ? AND id_state = ? "
                                  "RETURNING hw_guid, username");
        solve.bind(1, TicketSolved).bind(2, ticketId).bind(3, TicketOpen);
        if (!solve.step()) {
            if (database.failed())
                return StoreResult::Failed;
            const bool known = exists("SELECT 1 FROM ticket WHERE id = ?", ticketId);
            return database.failed() ? StoreResult::Failed
                   : known           ? StoreResult::TicketNotOpen
                                     : StoreResult::UnknownTicket;
        }
        hwGuid = solve.text(0);
        username = solve.text(1);
    }
    {
        Statement capture(database, "INSERT INTO capture (id_ticket, created, client_address) "
                                    "VALUES (?, ?, NULLIF(?, '')) RETURNING id");
        capture.bind(1, ticketId).bind(2, now).bind(3, clientAddress);
        if (capture.step())
            captureId = capture.integer(0);
    }
    Statement action(database, "INSERT INTO capture_action (id_capture, position, id_action, "
                               "entered_text) VALUES (?, ?, ?, ?)");
    Statement element(database, "INSERT INTO capture_element (id_capture, action_position, "
                                "position, name, class_name, automation_id, module_name) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)");
    for (size_t i = 0; i < actions.size() && !database.failed(); ++i) {
        const CaptureActionRow& a = actions[i];
        action.reset();
        action.bind(1, captureId).bind(2, static_cast<int64_t>(i)).bind(3, a.idAction);
        action.bind(4, a.enteredText).run();
        for (size_t j = 0; j < a.elements.size() && !database.failed(); ++j) {
            const CaptureElementRow& e = a.elements[j];
            element.reset();
            element.bind(1, captureId).bind(2, static_cast<int64_t>(i));
            element.bind(3, static_cast<int64_t>(j)).bind(4, e.name).bind(5, e.className);
            element.bind(6, e.automationId).bind(7, e.moduleName).run();
        }
    }
    Statement link(database, "UPDATE ticket SET id_capture = ? WHERE id = ?");
    link.bind(1, captureId).bind(2, ticketId).run();
    Statement report(database, "INSERT INTO solved_report (hw_guid, username, id_ticket, queued) "
                               "VALUES (?, ?, ?, ?) ON CONFLICT DO NOTHING");
    report.bind(1, hwGuid).bind(2, username).bind(3, ticketId).bind(4, now).run();
    return write.commit() ? StoreResult::Ok : StoreResult::Failed;
}

StoreResult Store::recordFeedback(const NewFeedback& feedback) {
    Transaction write(database);
    if (!exists("SELECT 1 FROM ticket WHERE id = ?", feedback.ticketId))
        return database.failed() ? StoreResult::Failed : StoreResult::UnknownTicket;
    Statement insert(database,
                     "INSERT INTO feedback (id_ticket, answer, sw_id, sw_file_desc, "
                     "sw_product_name, sw_file_version, sw_file_version_full, sw_module_name, "
                     "created, client_address) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, NULLIF(?, ''))");
    insert.bind(1, feedback.ticketId).bind(2, feedback.answer).bind(3, feedback.swId);
    insert.bind(4, feedback.swFileDesc).bind(5, feedback.swProductName);
    insert.bind(6, feedback.swFileVersion).bind(7, feedback.swFileVersionFull);
    insert.bind(8, feedback.swModuleName).bind(9, currentTimestamp()).bind(10, clientAddress);
    insert.run();
    if (feedback.helped) {
        // Only a solved ticket can be confirmed; an open one has nothing that helped.
        Statement confirm(database, "UPDATE ticket SET id_state = ? WHERE id = ? AND id_state = ?");
        confirm.bind(1, TicketConfirmed).bind(2, feedback.ticketId).bind(3, TicketSolved).run();
    }
    return write.commit() ? StoreResult::Ok : StoreResult::Failed;
}

bool Store::takeSolvedReports(const std::string& hwGuid, const std::string& username,
                              std::vector<SolvedReport>& out) {
    // Every program asks once a minute; most of the time there is nothing, and
    // that answer needs no write.
    database.clearError();
    {
        Statement peek(database, "SELECT 1 FROM solved_report WHERE hw_guid = ? AND username = ?");
        peek.bind(1, hwGuid).bind(2, username);
        if (!peek.step())
            return !database.failed();
    }
    // A report belongs to the request whose delete removed it: two requests of
    // one asker at the same moment, in this process or another, never both
    // report a ticket.
    Transaction write(database);
    std::vector<int64_t> taken;
    {
        Statement take(database, "DELETE FROM solved_report WHERE hw_guid = ? AND username = ? "
                                 "RETURNING id_ticket");
        take.bind(1, hwGuid).bind(2, username);
        while (take.step())
            taken.push_back(take.integer(0));
    }
    std::sort(taken.begin(), taken.end());
    Statement ticket(database, "SELECT COALESCE(id_capture, 0), question FROM ticket WHERE id = ?");
    for (int64_t id : taken) {
        ticket.reset();
        ticket.bind(1, id);
        if (ticket.step())
            out.push_back(SolvedReport{id, ticket.integer(0), ticket.text(1)});
    }
    if (!write.commit()) {
        out.clear();
        return false;
    }
    return true;
}

bool Store::isEmpty(bool& empty) {
    database.clearError();
    Statement query(database, "SELECT (SELECT count(*) FROM locale) + "
                              "(SELECT count(*) FROM operating_system) + "
                              "(SELECT count(*) FROM software) + (SELECT count(*) FROM ticket)");
    if (!query.step())
        return false;
    empty = query.integer(0) == 0;
    return true;
}
