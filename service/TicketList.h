#pragma once

#include "base/Json.h"
#include "service/HttpsTransport.h"
#include "service/SoftwareCatalogue.h"
#include "service/Ticket.h"
#include "service/TicketIndex.h"
#include "service/TicketMatches.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

// The languages of the tickets of each software id, and of all tickets (for
// the wildcard).
struct TicketLanguages {
    std::map<int, std::set<int>> bySoftware;
    std::set<int> all;

    void add(const Ticket& ticket);
};

// All tickets of the service, ordered by id, with the question search. One
// process-wide instance; tests may build their own over their own catalogue.
class TicketList {
  public:
    using Tickets = std::map<int, Ticket>;

    // `software` supplies the wildcard id that stands for every software.
    explicit TicketList(const SoftwareCatalogue& software = SoftwareCatalogue::instance());

    // The search index points into the list's own tickets: a copy would point
    // into the original.
    TicketList(const TicketList&) = delete;
    TicketList& operator=(const TicketList&) = delete;

    static TicketList& instance();

    // Replaces the list with the service's tickets ("gettickets.php"), read while
    // the reply arrives. False when no reply arrived; that, or a reply that is not
    // JSON, leaves the list empty.
    bool download();
    // Empties the list and reads a reply, as text or as the UTF-8 bytes that
    // arrived; then builds the search index. Tickets that earlier searches found
    // stay with those results.
    void loadFromReply(const String& reply);
    void loadFromReplyBytes(std::string_view bytes);
    // download()'s reading: `receive` hands the reply's pieces over on this thread
    // as they arrive (false when no reply arrived) while a second thread reads
    // them; the list ends as loadFromReplyBytes on the whole reply leaves it.
    using Receive = std::function<bool(const ReplyPieces& pieces)>;
    bool loadArriving(const Receive& receive);

    // Find-or-insert: an id without ticket gets a new empty one (its id field
    // included), which stays in the list and counts towards its size. The caller
    // may change the ticket: the next search indexes the list anew.
    Ticket& find(int id);

    int count() const { return static_cast<int>(tickets->size()); }
    const Tickets& all() const { return *tickets; }
    Tickets::const_iterator begin() const { return tickets->begin(); }
    Tickets::const_iterator end() const { return tickets->end(); }

    // True when the ticket is about that software: the software is the wildcard
    // or in the ticket's software list.
    bool belongsTo(const Ticket& ticket, int softwareId) const;

    // Adds the language of every ticket about the software to `locales`.
    void localesFor(int softwareId, std::set<int>& locales) const;

    // Replaces `found` with the tickets, in id order, about the software, in the
    // language and in state 2 or 3 whose question holds every word of the query
    // (A to Z case-insensitive). An empty query gives all of them, a query of one or
    // two characters none. When the query extends the one `found` holds for the
    // same filters, only `found` is searched again.
    void search(TicketMatches& found, const String& query, int softwareId, int localeId) const;

  private:
    // The index of the tickets as they are now.
    const std::shared_ptr<const TicketIndex>& currentIndex() const;
    // The index a read gathered, or one made anew when the gathering was spoiled.
    void useIndex(TicketIndex::Gathering& gathered);
    // Drops what is made from the tickets, after they changed.
    void forgetDerived();

    const SoftwareCatalogue& software;
    // Replaced, never emptied, on every load: search results may still hold the
    // previous tickets.
    std::shared_ptr<Tickets> tickets;
    mutable std::shared_ptr<const TicketIndex> index;
    // Made while a reply is read, or by the first question after another
    // change: the main window asks on every choice of a software.
    mutable std::optional<TicketLanguages> languages;
};

// A ticket's "software_list": ids separated by ";"; every piece counts, an empty
// piece as 0 (so an empty text gives {0}).
std::set<int> parseSoftwareList(const String& text);
