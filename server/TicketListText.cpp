#include "server/TicketListText.h"

#include <algorithm>

namespace {

// Json::write's escapes. The texts are valid UTF-8, whose multi-byte
// sequences hold no byte below 0x80, so escaping bytes escapes the same
// characters as escaping UTF-16 units.
void appendQuoted(std::string& out, std::string_view text) {
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += hex[static_cast<unsigned char>(c) >> 4];
                out += hex[c & 15];
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendMember(std::string& out, const char* key, std::string_view value, bool first = false) {
    if (!first)
        out += ',';
    out += '"';
    out += key;
    out += "\":";
    appendQuoted(out, value);
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
        appendQuoted(out, keyed[i].first);
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
