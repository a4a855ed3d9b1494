#pragma once

#include "base/Protocol.h"

#include <cstdint>
#include <string>
#include <vector>

class Database;

// Rows as the service hands them out. Texts are UTF-8 plain text.
struct LocaleRow {
    int64_t id = 0;
    int64_t microsoftLcid = 0;
    std::string description;
};

struct OsRow {
    int64_t id = 0;
    int64_t idPlatform = 0;
    int64_t major = 0;
    int64_t minor = 0;
    int64_t buildNo = 0;
    std::string description;
};

struct SoftwareRow {
    int64_t id = 0;
    int64_t idLocale = 0;
    std::string fileDesc;
    std::string productName;
    std::string fileVersion;
    std::string fileVersionFull;
    std::string moduleName;
    bool supported = false;
};

struct TicketRow {
    int64_t id = 0;
    std::string question;
    int64_t idOperatingSystem = 0;
    int64_t idState = 0;
    std::string created;
    std::vector<int64_t> software; // ascending
    int64_t idCapture = 0;         // 0: none
    int64_t idLocale = 0;
};

struct CaptureElementRow {
    std::string name;
    std::string className;
    std::string automationId;
    std::string moduleName;
};

struct CaptureActionRow {
    int64_t idAction = 0;
    std::string enteredText;
    std::vector<CaptureElementRow> elements; // the acted-on element first, desktop root last
};

// What a new ticket arrives with.
struct NewTicket {
    std::string question;
    int64_t idLocale = 0;
    std::string hwGuid;
    std::string username;
    int64_t swId = 0; // 0: a software that is not in the catalogue, described by the texts
    std::string swFileDesc;
    std::string swProductName;
    std::string swFileVersion;
    std::string swFileVersionFull;
    std::string swModuleName;
    int64_t swIdLocale = 0;
    OsRow os; // id unused
};

struct NewFeedback {
    int64_t ticketId = 0;
    bool helped = false; // "YES"
    std::string answer;
    int64_t swId = 0;
    std::string swFileDesc;
    std::string swProductName;
    std::string swFileVersion;
    std::string swFileVersionFull;
    std::string swModuleName;
};

struct SolvedReport {
    int64_t ticketId = 0;
    int64_t idCapture = 0;
    std::string question;
};

// Outcome of a write. Anything but Ok leaves the database as it was.
enum class StoreResult {
    Ok,
    UnknownTicket,
    UnknownLocale,
    UnknownSoftware,
    TicketNotOpen,
    Failed, // the database failed; details in Database::error()
};

// The service's data operations on one connection, in SQL that SQLite and
// PostgreSQL both run. Every write is one transaction; reads see one consistent
// snapshot. Writes hold when several service processes share one PostgreSQL
// database: they change rows only under conditions checked by the same
// statement (a ticket leaves the open state once, a solved report is deleted
// once) and let unique keys decide between two inserts of one catalogue entry.
class Store {
  public:
    explicit Store(Database& db) : database(db) {}

    bool locales(std::vector<LocaleRow>& out);
    bool operatingSystems(std::vector<OsRow>& out);
    bool software(std::vector<SoftwareRow>& out);
    bool tickets(std::vector<TicketRow>& out);
    bool ticketCounts(int64_t& total, int64_t& unsolved);
    // `found` false for an unknown capture id.
    bool capture(int64_t captureId, std::vector<CaptureActionRow>& out, bool& found);

    StoreResult createTicket(const NewTicket& ticket, int64_t& ticketId);
    // Stores the capture of an open ticket, marks the ticket solved and queues a
    // solved report for its asker.
    StoreResult storeCapture(int64_t ticketId, const std::vector<CaptureActionRow>& actions,
                             int64_t& captureId);
    // Records the answer; "YES" confirms a solved ticket.
    StoreResult recordFeedback(const NewFeedback& feedback);
    // Returns and removes the reports queued for this asker, in ticket order.
    bool takeSolvedReports(const std::string& hwGuid, const std::string& username,
                           std::vector<SolvedReport>& out);

    // True when the catalogue tables hold nothing (a fresh database).
    bool isEmpty(bool& empty);

    // The id of the software that stands for any software (file_desc,
    // product_name and file_version empty); 0 when there is none.
    int64_t wildcardSoftwareId();

    Database& db() { return database; }

    // Recorded with the tickets, captures and feedback stored from here on
    // (empty: none, stored as NULL).
    void setClientAddress(std::string address) { clientAddress = std::move(address); }

  private:
    int64_t findOrInsertOs(const OsRow& os);
    int64_t softwareForTicket(const NewTicket& ticket, StoreResult& result);
    bool exists(const char* sql, int64_t id);

    Database& database;
    std::string clientAddress;
};
