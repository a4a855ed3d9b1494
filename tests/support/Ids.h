#pragma once

#include "service/TicketMatches.h"

#include <vector>

// The ids of records with an `id`, or of a catalogue's (id, entry) pairs, in
// their order.
template <typename Records> std::vector<int> idsOf(const Records& records) {
    std::vector<int> out;
    for (const auto& record : records) {
        if constexpr (requires { record.id; })
            out.push_back(record.id);
        else
            out.push_back(record.first);
    }
    return out;
}

// The ids of search results, by position.
inline std::vector<int> idsOf(const TicketMatches& found) {
    std::vector<int> out;
    for (int i = 0; i < found.count(); ++i)
        out.push_back(found[i].id);
    return out;
}
