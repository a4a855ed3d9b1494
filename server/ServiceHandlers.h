#pragma once

#include "server/ServiceReply.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

class ConnectionPool;

// The endpoints of the service, independent of HTTP: given the endpoint name,
// the method and the request body, produce the reply. Requests that carry a
// wrong or missing access code, a malformed body, missing members or unknown ids
// get a short error text and change nothing.
class ServiceHandlers {
  public:
    // Bodies above this size are refused before they are read.
    static constexpr size_t maxBodyBytes = 1024 * 1024;

    ServiceHandlers(ConnectionPool& pool, std::string accessCode, std::string version);
    ~ServiceHandlers();

    // `endpoint` is the script name without a leading slash ("gettickets.php");
    // `clientAddress` is recorded with the tickets, captures and feedback it sends.
    ServiceReply handle(std::string_view endpoint, std::string_view method, std::string_view body,
                        const std::string& clientAddress = std::string()) const;

    // Told the size of each group of writes that shared a commit (SQLite: all
    // writes; PostgreSQL: new tickets).
    void observeGroupCommits(std::function<void(size_t)> observer);

    // True for the names of the eleven endpoints.
    static bool isEndpoint(std::string_view endpoint);

  private:
    struct Shared;

    ConnectionPool& pool;
    std::string code;
    std::string versionText;
    // What the request threads share: the counter reads.
    std::unique_ptr<Shared> shared;
};

// The error texts, shown by the program as they are.
namespace ServiceErrors {
inline constexpr const char* badCode = "Fehler: ungültiger Zugangscode";
inline constexpr const char* malformed = "Fehler: ungültige Anfrage";
inline constexpr const char* tooLarge = "Fehler: Anfrage zu groß";
inline constexpr const char* missingMember = "Fehler: Angabe fehlt: ";
inline constexpr const char* badMember = "Fehler: ungültige Angabe: ";
inline constexpr const char* unknownTicket = "Fehler: unbekanntes Ticket";
inline constexpr const char* unknownCapture = "Fehler: unbekannte Aufnahme";
inline constexpr const char* unknownLocale = "Fehler: unbekannte Sprache";
inline constexpr const char* unknownSoftware = "Fehler: unbekannte Software";
inline constexpr const char* ticketNotOpen = "Fehler: das Ticket ist nicht mehr offen";
inline constexpr const char* emptyQuestion = "Fehler: die Frage ist leer";
inline constexpr const char* emptyCapture = "Fehler: die Aufnahme enthält keine Schritte";
inline constexpr const char* storage = "Fehler: Datenbank nicht verfügbar";
inline constexpr const char* unknownEndpoint = "Fehler: unbekannter Endpunkt";
inline constexpr const char* wrongMethod = "Fehler: Methode nicht erlaubt";
inline constexpr const char* internal = "Fehler: interner Fehler";
inline constexpr const char* tooManyRequests =
    "Fehler: zu viele Anfragen, bitte später noch einmal versuchen";
} // namespace ServiceErrors
