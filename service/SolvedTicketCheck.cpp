#include "service/SolvedTicketCheck.h"

#include "service/ServiceClient.h"
#include "service/SystemInfo.h"

ElementPtr solvedTicketCheckDocument(const String& hwGuid, const String& username) {
    ElementPtr root = Json::makeRoot();
    Json::ElementMap::setString(root, u"code", ServiceClient::accessCode());
    Json::ElementMap::setString(root, u"hw_guid", hwGuid);
    Json::ElementMap::setString(root, u"username", username);
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
        ServiceClient::post(u"checkticket.php", ServiceClient::documentBody(document)));
}
