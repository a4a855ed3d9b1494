#pragma once

#include "base/String.h"

#include <ostream>

// Lets GoogleTest show String values readably (UTF-8) in failure messages.
inline void PrintTo(const String& s, std::ostream* os) {
    *os << '"';
    for (int i = 0; i < s.length(); ++i) {
        unsigned c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.length() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x20) {
            *os << "\\x" << std::hex << c << std::dec;
        } else if (c < 0x80) {
            *os << static_cast<char>(c);
        } else if (c < 0x800) {
            *os << static_cast<char>(0xC0 | (c >> 6)) << static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *os << static_cast<char>(0xE0 | (c >> 12))
                << static_cast<char>(0x80 | ((c >> 6) & 0x3F))
                << static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *os << static_cast<char>(0xF0 | (c >> 18))
                << static_cast<char>(0x80 | ((c >> 12) & 0x3F))
                << static_cast<char>(0x80 | ((c >> 6) & 0x3F))
                << static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    *os << '"';
}
