#include "server/TicketFunction.h"

#include "server/Database.h"
#include "server/JsonQuoted.h"

#include <charconv>

namespace {

// service_create_ticket's answer: the ticket's id, or a code for what it refused.
StoreResult resultOf(Database& database, int64_t id, int64_t& ticketId) {
    if (id == -1)
        return StoreResult::UnknownLocale;
    if (id == -2)
        return StoreResult::UnknownSoftware;
    if (id <= 0) {
        database.fail("service_create_ticket returned " + std::to_string(id));
        return StoreResult::Failed;
    }
    ticketId = id;
    return StoreResult::Ok;
}

void appendNumber(std::string& out, int64_t value) {
    out += ',';
    out += std::to_string(value);
}

void appendText(std::string& out, std::string_view text) {
    out += ',';
    appendJsonQuoted(out, text);
}

// service_create_ticket's arguments as a JSON array, in its order.
void appendArguments(std::string& out, const NewTicket& ticket, const std::string& clientAddress,
                     const std::string& created) {
    out += '[';
    appendJsonQuoted(out, ticket.question);
    appendNumber(out, ticket.idLocale);
    appendText(out, ticket.hwGuid);
    appendText(out, ticket.username);
    appendNumber(out, ticket.swId);
    appendText(out, ticket.swFileDesc);
    appendText(out, ticket.swProductName);
    appendText(out, ticket.swFileVersion);
    appendText(out, ticket.swFileVersionFull);
    appendText(out, ticket.swModuleName);
    appendNumber(out, ticket.swIdLocale);
    appendNumber(out, ticket.os.idPlatform);
    appendNumber(out, ticket.os.major);
    appendNumber(out, ticket.os.minor);
    appendNumber(out, ticket.os.buildNo);
    appendText(out, ticket.os.description);
    appendNumber(out, TicketOpen);
    appendText(out, created);
    appendText(out, clientAddress);
    out += ']';
}

// The numbers of a PostgreSQL array as text ("{12,13,-1}").
std::vector<int64_t> arrayNumbers(std::string_view text) {
    std::vector<int64_t> numbers;
    if (text.size() < 2 || text.front() != '{' || text.back() != '}')
        return numbers;
    const char* p = text.data() + 1;
    const char* end = text.data() + text.size() - 1;
    while (p < end) {
        int64_t value = 0;
        const auto [next, failure] = std::from_chars(p, end, value);
        if (failure != std::errc())
            return {};
        numbers.push_back(value);
        if (next == end)
            break;
        if (*next != ',')
            return {};
        p = next + 1;
    }
    return numbers;
}

} // namespace

StoreResult createTicketInOneCall(Database& database, const NewTicket& ticket,
                                  const std::string& clientAddress, int64_t& ticketId) {
    database.clearError();
    Statement call(database, "SELECT service_create_ticket(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                             "?, ?, ?, ?, ?, ?)");
    call.bind(1, ticket.question).bind(2, ticket.idLocale).bind(3, ticket.hwGuid);
    call.bind(4, ticket.username).bind(5, ticket.swId).bind(6, ticket.swFileDesc);
    call.bind(7, ticket.swProductName).bind(8, ticket.swFileVersion);
    call.bind(9, ticket.swFileVersionFull).bind(10, ticket.swModuleName);
    call.bind(11, ticket.swIdLocale).bind(12, ticket.os.idPlatform).bind(13, ticket.os.major);
    call.bind(14, ticket.os.minor).bind(15, ticket.os.buildNo).bind(16, ticket.os.description);
    call.bind(17, TicketOpen).bind(18, currentTimestamp()).bind(19, clientAddress);
    if (!call.step())
        return StoreResult::Failed;
    return resultOf(database, call.integer(0), ticketId);
}

bool createTicketsInOneCall(Database& database, const std::vector<TicketToCreate*>& tickets) {
    database.clearError();
    const std::string created = currentTimestamp();
    std::string arguments = "[";
    for (const TicketToCreate* t : tickets) {
        if (arguments.size() > 1)
            arguments += ',';
        appendArguments(arguments, *t->ticket, *t->clientAddress, created);
    }
    arguments += ']';
    Statement call(database, "SELECT service_create_tickets(?::JSONB)");
    call.bind(1, arguments);
    if (!call.step())
        return false;
    // Committed: from here on, a failure must not send the tickets once more.
    const std::vector<int64_t> ids = arrayNumbers(call.text(0));
    if (ids.size() != tickets.size()) {
        database.fail("service_create_tickets returned " + call.text(0));
        for (TicketToCreate* t : tickets)
            t->result = StoreResult::Failed;
        return true;
    }
    for (size_t i = 0; i < tickets.size(); ++i)
        tickets[i]->result = resultOf(database, ids[i], tickets[i]->ticketId);
    return true;
}
