#pragma once

#include "base/String.h"
#include "base/Utf8.h"

#include <ostream>

// Lets GoogleTest show String values readably (UTF-8, control characters as
// \x escapes) in failure messages.
inline void PrintTo(const String& s, std::ostream* os) {
    *os << '"';
    for (unsigned char c : Utf8::encode(s)) {
        if (c < 0x20)
            *os << "\\x" << std::hex << unsigned(c) << std::dec;
        else
            *os << c;
    }
    *os << '"';
}
