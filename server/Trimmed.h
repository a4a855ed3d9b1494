#pragma once

#include <string_view>

// `text` without the blanks (spaces, tabs, carriage returns) at its ends: a
// line of the configuration file, an item of an HTTP header.
inline std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return std::string_view();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}
