#pragma once

#include <vector>

// The ids of records (with an `id`) or of a catalogue's (id, entry) pairs, in
// their order; of search results by position.
template <typename Records> std::vector<int> idsOf(const Records& records) {
    std::vector<int> out;
    if constexpr (requires {
                      records.count();
                      records[0].id;
                  }) {
        for (int i = 0; i < records.count(); ++i)
            out.push_back(records[i].id);
    } else {
        for (const auto& record : records) {
            if constexpr (requires { record.id; })
                out.push_back(record.id);
            else
                out.push_back(record.first);
        }
    }
    return out;
}
