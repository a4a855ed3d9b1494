#include "service/SolvedTicketCheck.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"

using namespace Protocol;

ElementPtr solvedTicketCheckDocument(const String& hwGuid, const String& username) {
    ElementPtr root = Json::makeRoot();
    Json::ElementMap::setString(root, Member::code, ServiceClient::accessCode());
    Json::ElementMap::setString(root, Member::hw_guid, hwGuid);
    Json::ElementMap::setString(root, Member::username, username);
    return root;
}

SolvedTicketReport readSolvedTicketReply(const String& reply) {
    SolvedTicketReport report;
    if (reply.length() < 5 && reply.contains(u"OK"))
        return report;
    const ElementPtr root = Json::parseText(reply);
    const Json::ElementMap* map = Json::asMap(root);
    if (!map || map->members.empty())
        return report;
    report.reload = true;
    for (const auto& member : map->members) {
        const int id = member.first.toInt();
        if (id > 0)
            report.ticketIds.push_back(id);
    }
    return report;
}

SolvedTicketReport checkSolvedTickets() {
    const ElementPtr document =
        solvedTicketCheckDocument(SystemInfo::hwGuid(), SystemInfo::username());
    return readSolvedTicketReply(
        ServiceClient::post(Endpoint::checkticket, ServiceClient::documentBody(document)));
}
