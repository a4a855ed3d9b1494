#include "service/TicketCount.h"

#include "base/Protocol.h"
#include "base/Json.h"
#include "service/ServiceClient.h"
#include "service/TicketList.h"

using namespace Protocol;

TicketCountUpdate decideTicketCount(const String& reply, int ticketsInMemory) {
    TicketCountUpdate update;
    if (reply.empty())
        return update;
    ElementPtr root = Json::parseText(reply);
    const Json::ElementMap* map = Json::asMap(root);
    if (!map || map->members.empty())
        return update;
    update.show = true;
    update.unsolved = Json::memberInt(root, Member::unsolved);
    update.total = Json::memberInt(root, Member::total);
    update.unsolvedText = String::format(u"%i", update.unsolved);
    update.reload = ticketsInMemory != update.total;
    return update;
}

TicketCountUpdate fetchTicketCount() {
    String reply = ServiceClient::post(Endpoint::getticketcnt, ServiceClient::codeBody());
    return decideTicketCount(reply, TicketList::instance().count());
}
