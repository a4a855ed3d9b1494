#include "server/TicketListText.h"

#include "server/JsonQuoted.h"

#include <algorithm>

namespace {

void appendMember(std::string& out, const char* key, std::string_view value, bool first = false) {
    if (!first)
        out += ',';
    out += '"';
    out += key;
    out += "\":";
    appendJsonQuoted(out, value);
}

} // namespace

std::string ticketListText(const std::vector<TicketRow>& rows) {
    // The document's keys are the ids as text, in text order ("10" before "9").
    std::vector<std::pair<std::string, const TicketRow*>> keyed;
    keyed.reserve(rows.size());
    size_t size = 2;
    for (const TicketRow& row : rows) {
        keyed.emplace_back(std::to_string(row.id), &row);
        size += row.question.size() + row.created.size() + 160;
    }
    std::sort(keyed.begin(), keyed.end());
    std::string out;
    out.reserve(size);
    out += '{';
    for (size_t i = 0; i < keyed.size(); ++i) {
        const TicketRow& row = *keyed[i].second;
        if (i > 0)
            out += ',';
        appendJsonQuoted(out, keyed[i].first);
        out += ":{";
        std::string software;
        for (size_t j = 0; j < row.software.size(); ++j) {
            if (j > 0)
                software += ';';
            software += std::to_string(row.software[j]);
        }
        // The members in key order.
        appendMember(out, "id_capture", std::to_string(row.idCapture), true);
        appendMember(out, "id_locale", std::to_string(row.idLocale));
        appendMember(out, "id_operating_system", std::to_string(row.idOperatingSystem));
        appendMember(out, "id_state", std::to_string(row.idState));
        appendMember(out, "question", row.question);
        appendMember(out, "software_list", software);
        appendMember(out, "timestamp_created", row.created);
        out += '}';
    }
    out += '}';
    return out;
}
