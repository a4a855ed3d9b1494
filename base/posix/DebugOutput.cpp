#include "base/DebugOutput.h"

#include <cstdio>
#include <string>

void debugOutput(const String& text) {
    // Diagnostics only: code units above 0x7F are shown as '?'.
    std::string narrow;
    narrow.reserve(static_cast<size_t>(text.length()));
    for (int i = 0; i < text.length(); ++i)
        narrow.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
    std::fputs(narrow.c_str(), stderr);
}
