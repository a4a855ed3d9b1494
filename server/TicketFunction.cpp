#include "server/TicketFunction.h"

#include "server/Database.h"

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
    const int64_t id = call.integer(0);
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
