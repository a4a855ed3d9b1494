#include "service/TicketList.h"

#include "base/DebugOutput.h"
#include "base/Protocol.h"
#include "base/Words.h"
#include "base/Json.h"
#include "base/Utf8.h"
#include "service/ArrivingBytes.h"
#include "service/ServiceClient.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>
#include <system_error>
#include <thread>

using namespace Protocol;

TicketList::TicketList(const SoftwareCatalogue& catalogue)
    : software(catalogue), tickets(std::make_shared<Tickets>()) {}

TicketList& TicketList::instance() {
    static TicketList list;
    return list;
}

// The list is what the user waits for at start: the time of each step goes to
// the debugger (bench/start-up.sh reads it).
bool TicketList::download() {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point from, Clock::time_point to) {
        return static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count());
    };
    const Clock::time_point start = Clock::now();
    Clock::time_point arrived = start;
    size_t received = 0;
    const bool replied = loadArriving([&](const ReplyPieces& pieces) {
        const bool got = ServiceClient::postPieces(Endpoint::gettickets, ServiceClient::codeBody(),
                                                   [&](std::string_view piece) {
                                                       received += piece.size();
                                                       pieces(piece);
                                                   });
        arrived = Clock::now();
        return got;
    });
    debugOutput(String::format(u"gettickets.php: %i bytes downloaded in %i ms, %i tickets read and "
                               u"catalogued %i ms after the last byte",
                               static_cast<int>(std::min<size_t>(received, INT32_MAX)),
                               ms(start, arrived), count(), ms(arrived, Clock::now())));
    return replied;
}

void TicketLanguages::add(const Ticket& ticket) {
    all.insert(ticket.id_locale);
    for (int software : ticket.software_list)
        bySoftware[software].insert(ticket.id_locale);
}

std::set<int> parseSoftwareList(const String& text) {
    std::set<int> ids;
    const char16_t* units = text.data();
    int start = 0;
    for (int i = 0; i <= text.length(); ++i) {
        if (i == text.length() || units[i] == u';') {
            // A number never reads past a ";", so the piece needs no copy.
            ids.insert(String::toInt(units + start));
            start = i + 1;
        }
    }
    return ids;
}

void TicketList::loadFromReply(const String& reply) {
    loadFromReplyBytes(Utf8::encode(reply));
}

namespace {

// The name's length is known here, so most keys differ by their length alone,
// and no name is measured for each of the 700 000 members of a large list.
template <size_t Size> bool sameText(const String& key, const char16_t (&name)[Size]) {
    return key.length() == static_cast<int>(Size - 1) &&
           std::u16string_view(key.data(), Size - 1) == std::u16string_view(name, Size - 1);
}

// The ticket's members are read in one walk over them, each text where it
// lies: only what the ticket keeps is copied, straight into the list's ticket
// (empty, or emptied first).
void readTicket(int id, const ElementPtr& value, Ticket& ticket) {
    ticket.id = id;
    const Json::ElementMap* object = Json::asMap(value);
    if (!object)
        return;
    static const String empty;
    const String* softwareList = &empty;
    for (const auto& [key, member] : object->members) {
        if (!member || member->type() != Json::Text)
            continue;
        const String& text = static_cast<const Json::ElementString*>(member.get())->value();
        if (sameText(key, Member::question)) {
            ticket.question = text;
        } else if (sameText(key, Member::id_operating_system)) {
            ticket.id_operating_system = text.toInt();
        } else if (sameText(key, Member::id_state)) {
            ticket.id_state = text.toInt();
        } else if (sameText(key, Member::id_capture)) {
            ticket.id_capture = text.toInt();
        } else if (sameText(key, Member::id_locale)) {
            ticket.id_locale = text.toInt();
        } else if (sameText(key, Member::timestamp_created)) {
            ticket.timestamp_created = text;
        } else if (sameText(key, Member::software_list)) {
            softwareList = &text;
        }
    }
    // A missing list reads as an empty text, which gives {0}.
    ticket.software_list = parseSoftwareList(*softwareList);
}

// Whether `key` is the plain decimal form of `id`, as the service writes ids.
bool isPlainNumber(const String& key, int id) {
    char16_t digits[12];
    int length = 0;
    if (id < 0)
        return false;
    do {
        digits[length++] = static_cast<char16_t>(u'0' + id % 10);
        id /= 10;
    } while (id > 0);
    if (key.length() != length)
        return false;
    for (int i = 0; i < length; ++i) {
        if (key[i] != digits[length - 1 - i])
            return false;
    }
    return true;
}

// Reads a reply member by member, never as a whole document. Keys that name
// one id ("7", "07", a key sent twice) end as a document would have them: of
// each key its last value, and of the keys of one id the last in key order.
// Only keys other than an id's plain number are remembered for that. The
// tickets' languages and their search index are gathered on the way, while
// each ticket is at hand, unless a ticket is read twice.
class TicketReader {
  public:
    TicketReader(TicketList::Tickets& into, std::optional<TicketLanguages>& languagesOf,
                 TicketIndex::Gathering& indexOf)
        : tickets(into), languages(languagesOf), index(indexOf) {
        languages.emplace();
        index = TicketIndex::Gathering();
    }

    void operator()(const String& key, const ElementPtr& value) {
        const int id = key.toInt();
        auto [it, inserted] = tickets.try_emplace(id);
        if (!inserted) {
            auto known = unusualKeys.find(id);
            const String earlier =
                known == unusualKeys.end() ? String::format(u"%i", id) : known->second;
            if (key < earlier)
                return;
        }
        if (!isPlainNumber(key, id))
            unusualKeys[id] = key;
        else if (!unusualKeys.empty())
            unusualKeys.erase(id);
        if (!inserted) {
            it->second = Ticket();
            languages.reset();
            index.spoil();
        }
        readTicket(id, value, it->second);
        if (languages)
            languages->add(it->second);
        index.add(id, it->second);
    }

  private:
    TicketList::Tickets& tickets;
    std::optional<TicketLanguages>& languages;
    TicketIndex::Gathering& index;
    std::map<int, String> unusualKeys;
};

void readWhole(std::string_view bytes, TicketList::Tickets& tickets,
               std::optional<TicketLanguages>& languages, TicketIndex::Gathering& index) {
    tickets.clear();
    TicketReader reader(tickets, languages, index);
    Json::readMembersUtf8(bytes, std::ref(reader));
}

// Reads the reply as its bytes arrive, up to the end of the last complete
// ticket that came; the bytes after it are read again with the next part. Only
// those are kept, in one buffer that keeps its size from part to part. A ticket
// longer than a part is read again only once twice as many of its bytes are
// there, so that even a reply of one huge ticket is read in linear time.
void readArriving(ArrivingBytes& arriving, TicketList::Tickets& tickets,
                  std::optional<TicketLanguages>& languages, TicketIndex::Gathering& index) {
    TicketReader reader(tickets, languages, index);
    Json::MemberStream stream(std::ref(reader));
    std::string unread;
    size_t leftOver = 0;
    while (arriving.takeInto(unread)) {
        if (unread.size() < 2 * leftOver)
            continue;
        unread.erase(0, stream.readPart(unread));
        leftOver = unread.size();
    }
    stream.readLast(unread);
}

} // namespace

void TicketList::loadFromReplyBytes(std::string_view bytes) {
    tickets = std::make_shared<Tickets>();
    forgetDerived();
    TicketIndex::Gathering gathered;
    readWhole(bytes, *tickets, languages, gathered);
    useIndex(gathered);
}

bool TicketList::loadArriving(const Receive& receive) {
    tickets = std::make_shared<Tickets>();
    forgetDerived();
    ArrivingBytes arriving;
    Tickets& into = *tickets;
    TicketIndex::Gathering gathered;
    std::thread reading;
    try {
        reading = std::thread(readArriving, std::ref(arriving), std::ref(into), std::ref(languages),
                              std::ref(gathered));
    } catch (const std::system_error&) {
        // No thread to spare: the reply is read once it is all there.
    }
    const bool replied = receive([&arriving](std::string_view piece) { arriving.add(piece); });
    arriving.close();
    if (reading.joinable())
        reading.join();
    else
        readArriving(arriving, into, languages, gathered);
    if (!replied) {
        into.clear();
        languages.reset();
        gathered.spoil();
    }
    useIndex(gathered);
    return replied;
}

void TicketList::useIndex(TicketIndex::Gathering& gathered) {
    if (gathered.intact())
        index = std::make_shared<const TicketIndex>(tickets, std::move(gathered));
    else
        index = std::make_shared<const TicketIndex>(tickets);
}

Ticket& TicketList::find(int id) {
    auto [it, inserted] = tickets->try_emplace(id);
    if (inserted)
        it->second.id = id;
    forgetDerived();
    return it->second;
}

bool TicketList::belongsTo(const Ticket& ticket, int softwareId) const {
    return softwareId == software.wildcardId() || ticket.software_list.count(softwareId) > 0;
}

void TicketList::localesFor(int softwareId, std::set<int>& locales) const {
    if (!languages) {
        languages.emplace();
        for (const auto& [id, ticket] : *tickets)
            languages->add(ticket);
    }
    // The wildcard is asked of the catalogue each time: it may have been reloaded.
    if (softwareId == software.wildcardId()) {
        locales.insert(languages->all.begin(), languages->all.end());
        return;
    }
    const auto found = languages->bySoftware.find(softwareId);
    if (found != languages->bySoftware.end())
        locales.insert(found->second.begin(), found->second.end());
}

void TicketList::forgetDerived() {
    index.reset();
    languages.reset();
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
