#include "service/TicketList.h"

#include "base/Protocol.h"
#include "base/Words.h"
#include "base/Json.h"
#include "service/ServiceClient.h"

using namespace Protocol;

namespace {

// The tickets lie scattered in memory; asking for them a few steps ahead lets the
// scan wait for many of them at once instead of one after the other.
inline void prefetch(const void* address) {
#if defined(__GNUC__)
    if (address)
        __builtin_prefetch(address);
#endif
}

} // namespace

TicketList::TicketList(const SoftwareCatalogue& catalogue) : software(catalogue) {}

TicketList& TicketList::instance() {
    static TicketList list;
    return list;
}

void TicketList::download() {
    tickets.clear();
    orderStale = true;
    loadFromReply(ServiceClient::post(Endpoint::gettickets, ServiceClient::codeBody()));
}

std::set<int> parseSoftwareList(const String& text) {
    std::set<int> ids;
    int start = 0;
    for (int i = 0; i <= text.length(); ++i) {
        if (i == text.length() || text[i] == u';') {
            ids.insert(text.substr(start, i - start).toInt());
            start = i + 1;
        }
    }
    return ids;
}

void TicketList::loadFromReply(const String& reply) {
    tickets.clear();
    orderStale = true;
    ElementPtr root = Json::parseText(reply);
    const Json::ElementMap* map = Json::asMap(root);
    if (!map)
        return;
    for (const auto& [key, value] : map->members) {
        Ticket ticket;
        ticket.id = key.toInt();
        if (Json::isObject(value)) {
            ticket.question = Json::memberText(value, Member::question);
            ticket.questionLower = ticket.question.lower();
            ticket.id_operating_system = Json::memberInt(value, Member::id_operating_system);
            ticket.id_state = Json::memberInt(value, Member::id_state);
            ticket.id_capture = Json::memberInt(value, Member::id_capture);
            ticket.id_locale = Json::memberInt(value, Member::id_locale);
            ticket.timestamp_created = Json::memberText(value, Member::timestamp_created);
            ticket.software_list =
                parseSoftwareList(Json::memberText(value, Member::software_list));
        }
        find(ticket.id) = std::move(ticket);
    }
}

Ticket& TicketList::find(int id) {
    auto [it, inserted] = tickets.try_emplace(id);
    if (inserted) {
        it->second.id = id;
        orderStale = true;
    }
    return it->second;
}

bool TicketList::belongsTo(const Ticket& ticket, int softwareId) const {
    return softwareId == software.wildcardId() || ticket.software_list.count(softwareId) > 0;
}

void TicketList::localesFor(int softwareId, std::set<int>& locales) const {
    for (const auto& [id, ticket] : tickets) {
        if (belongsTo(ticket, softwareId))
            locales.insert(ticket.id_locale);
    }
}

const std::vector<const Ticket*>& TicketList::searchOrder() const {
    if (orderStale) {
        order.clear();
        order.reserve(tickets.size());
        for (const auto& [id, ticket] : tickets)
            order.push_back(&ticket);
        orderStale = false;
    }
    return order;
}

void TicketList::search(std::vector<Ticket>& out, const String& query, int softwareId,
                        int localeId) const {
    out.clear();
    if (query.length() == 1 || query.length() == 2)
        return;
    const std::vector<String> words = splitWords(query.lower());
    // Cheapest tests first: this runs for every typed character.
    const std::vector<const Ticket*>& order = searchOrder();
    const size_t n = order.size();
    for (size_t i = 0; i < n; ++i) {
        prefetch(i + 16 < n ? order[i + 16] : nullptr);
        prefetch(i + 4 < n ? order[i + 4]->questionLower.data() : nullptr);
        const Ticket& ticket = *order[i];
        if (ticket.id_locale != localeId || !ticket.offeredBySearch())
            continue;
        if (!belongsTo(ticket, softwareId))
            continue;
        if (containsAllWords(ticket.questionLower, words))
            out.push_back(ticket);
    }
}
