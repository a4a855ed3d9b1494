#include "server/FormBody.h"

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

bool percentDecode(std::string_view text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return true;
}

bool parseFormBody(std::string_view body, std::map<std::string, std::string>& fields) {
    fields.clear();
    size_t start = 0;
    while (start <= body.size()) {
        size_t end = body.find('&', start);
        if (end == std::string_view::npos)
            end = body.size();
        const std::string_view piece = body.substr(start, end - start);
        const size_t equals = piece.find('=');
        if (equals == std::string_view::npos || equals == 0)
            return false;
        std::string name, value;
        if (!percentDecode(piece.substr(0, equals), name) ||
            !percentDecode(piece.substr(equals + 1), value) || name.empty())
            return false;
        if (!fields.emplace(std::move(name), std::move(value)).second)
            return false;
        start = end + 1;
    }
    return true;
}
