#include "service/TicketList.h"

#include "base/DebugOutput.h"
#include "base/Protocol.h"
#include "base/Words.h"
#include "base/Json.h"
#include "service/ServiceClient.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

using namespace Protocol;

TicketList::TicketList(const SoftwareCatalogue& catalogue)
    : software(catalogue), tickets(std::make_shared<Tickets>()) {}

TicketList& TicketList::instance() {
    static TicketList list;
    return list;
}

// The list is what the user waits for at start: the time of each step goes to
// the debugger (bench/start-up.sh reads it).
void TicketList::download() {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point from, Clock::time_point to) {
        return static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
    };
    tickets = std::make_shared<Tickets>();
    index.reset();
    const Clock::time_point start = Clock::now();
    std::string bytes = ServiceClient::postBytes(Endpoint::gettickets, ServiceClient::codeBody());
    const Clock::time_point downloaded = Clock::now();
    const int received = static_cast<int>(std::min<size_t>(bytes.size(), INT32_MAX));
    // Parsed from the bytes as they arrived: no decoded copy of the whole reply.
    ElementPtr root = Json::parseUtf8(bytes);
    const Clock::time_point parsed = Clock::now();
    load(root);
    const Clock::time_point catalogued = Clock::now();
    root.reset();
    bytes = std::string();
    const Clock::time_point released = Clock::now();
    debugOutput(String::format(u"gettickets.php: %i bytes downloaded in %i ms, decoded and parsed "
                               u"in %i ms, %i tickets catalogued in %i ms, released in %i ms",
                               received, ms(start, downloaded), ms(downloaded, parsed), count(),
                               ms(parsed, catalogued), ms(catalogued, released)));
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
    load(Json::parseText(reply));
}

void TicketList::loadFromReplyBytes(std::string_view bytes) {
    load(Json::parseUtf8(bytes));
}

void TicketList::load(const ElementPtr& root) {
    tickets = std::make_shared<Tickets>();
    index.reset();
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
    index = std::make_shared<const TicketIndex>(tickets);
}

Ticket& TicketList::find(int id) {
    auto [it, inserted] = tickets->try_emplace(id);
    if (inserted)
        it->second.id = id;
    index.reset();
    return it->second;
}

bool TicketList::belongsTo(const Ticket& ticket, int softwareId) const {
    return softwareId == software.wildcardId() || ticket.software_list.count(softwareId) > 0;
}

void TicketList::localesFor(int softwareId, std::set<int>& locales) const {
    for (const auto& [id, ticket] : *tickets) {
        if (belongsTo(ticket, softwareId))
            locales.insert(ticket.id_locale);
    }
}

const std::shared_ptr<const TicketIndex>& TicketList::currentIndex() const {
    if (!index)
        index = std::make_shared<const TicketIndex>(tickets);
    return index;
}

void TicketList::search(TicketMatches& found, const String& query, int softwareId,
                        int localeId) const {
    const std::shared_ptr<const TicketIndex>& now = currentIndex();
    const bool anySoftware = softwareId == software.wildcardId();
    const bool narrowing = found.complete && found.index == now && found.softwareId == softwareId &&
                           found.localeId == localeId && found.anySoftware == anySoftware &&
                           query.startsWith(found.query);
    if (!narrowing) {
        found.clear();
        found.index = now;
        found.language = now->language(localeId);
        found.softwareId = softwareId;
        found.localeId = localeId;
        found.anySoftware = anySoftware;
    }
    found.query = query;
    // One or two characters find nothing, and a longer text cannot be narrowed
    // from that.
    found.complete = query.length() != 1 && query.length() != 2;
    if (!found.complete) {
        found.positions.clear();
        return;
    }
    if (!found.language)
        return;
    const std::vector<String> words = splitWords(query.lower());
    if (narrowing) {
        const std::vector<uint32_t> previous = std::move(found.positions);
        TicketIndex::search(*found.language, words, softwareId, anySoftware, &previous,
                            found.positions);
    } else {
        TicketIndex::search(*found.language, words, softwareId, anySoftware, nullptr,
                            found.positions);
    }
}
