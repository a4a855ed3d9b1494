#pragma once

#include "service/SoftwareCatalogue.h"
#include "service/Ticket.h"

#include <map>
#include <set>
#include <vector>

// All tickets of the service, ordered by id, with the question search. One
// process-wide instance; tests may build their own over their own catalogue.
class TicketList {
  public:
    using Tickets = std::map<int, Ticket>;

    // `software` supplies the wildcard id that stands for every software.
    explicit TicketList(const SoftwareCatalogue& software = SoftwareCatalogue::instance());

    // The search order points into the list's own tickets: a copy would point
    // into the original.
    TicketList(const TicketList&) = delete;
    TicketList& operator=(const TicketList&) = delete;

    static TicketList& instance();

    // Replaces the list with the service's tickets ("gettickets.php"). A failed
    // request or a reply that is not JSON leaves the list empty.
    void download();
    // The part of download() after the request: empties the list and reads the reply.
    void loadFromReply(const String& reply);

    // Find-or-insert: an id without ticket gets a new empty one (its id field
    // included), which stays in the list and counts towards its size.
    Ticket& find(int id);

    int count() const { return static_cast<int>(tickets.size()); }
    const Tickets& all() const { return tickets; }
    Tickets::const_iterator begin() const { return tickets.begin(); }
    Tickets::const_iterator end() const { return tickets.end(); }

    // True when the ticket is about that software: the software is the wildcard
    // or in the ticket's software list.
    bool belongsTo(const Ticket& ticket, int softwareId) const;

    // Adds the language of every ticket about the software to `locales`.
    void localesFor(int softwareId, std::set<int>& locales) const;

    // Replaces `out` with copies, in id order, of the tickets about the software, in
    // the language and in state 2 or 3 whose question holds every word of the query
    // (A to Z case-insensitive). An empty query gives all of them, a query of one or
    // two characters none.
    void search(std::vector<Ticket>& out, const String& query, int softwareId, int localeId) const;

  private:
    // The tickets in id order as a flat list: the search runs for every typed
    // character, and walking the tree node by node costs most of its time. Map
    // nodes never move, so the pointers stay valid until the list is emptied.
    const std::vector<const Ticket*>& searchOrder() const;

    const SoftwareCatalogue& software;
    Tickets tickets;
    mutable std::vector<const Ticket*> order;
    mutable bool orderStale = true;
};

// A ticket's "software_list": ids separated by ";"; every piece counts, an empty
// piece as 0 (so an empty text gives {0}).
std::set<int> parseSoftwareList(const String& text);
