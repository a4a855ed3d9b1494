#pragma once

#include "base/String.h"
#include "service/TicketIndex.h"

#include <cstdint>
#include <memory>
#include <vector>

// The tickets a question search found, in id order: references into the
// ticket list, no copies. They stay valid as long as this result holds them,
// even when the list is downloaded again meanwhile. The next search narrows
// this result when its text extends this one's.
class TicketMatches {
  public:
    int count() const { return static_cast<int>(positions.size()); }
    bool empty() const { return positions.empty(); }
    const Ticket& operator[](int index) const {
        return *language->tickets[positions[static_cast<size_t>(index)]];
    }
    void clear();

  private:
    friend class TicketList;

    std::shared_ptr<const TicketIndex> index; // keeps the tickets alive
    const TicketIndex::Language* language = nullptr;
    std::vector<uint32_t> positions; // in language

    // What was searched: a later text that begins with `query` under the same
    // filters and index can only find a part of this result.
    bool complete = false;
    String query;
    int softwareId = 0;
    int localeId = 0;
    bool anySoftware = false;
};
