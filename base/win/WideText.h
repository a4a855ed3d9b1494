#pragma once

#include "base/String.h"

#include <cwchar>

// wchar_t is 16 bits on Windows, so String's units pass to the W functions
// unchanged.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

inline const wchar_t* wide(const String& s) {
    return reinterpret_cast<const wchar_t*>(s.data());
}

inline String fromWide(const wchar_t* text) {
    return String(reinterpret_cast<const char16_t*>(text));
}

inline String fromWide(const wchar_t* text, int length) {
    return String(reinterpret_cast<const char16_t*>(text), length);
}
