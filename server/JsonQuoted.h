#pragma once

#include <string>
#include <string_view>

// Appends `text` (valid UTF-8) as a JSON string, quotes included, with
// Json::write's escapes. UTF-8's multi-byte sequences hold no byte below 0x80,
// so escaping bytes escapes the same characters as escaping UTF-16 units.
void appendJsonQuoted(std::string& out, std::string_view text);
