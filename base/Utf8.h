#pragma once

#include "base/String.h"

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 as the service exchanges it. Surrogate pairs travel as one four-byte
// sequence. Text that cannot be represented (a lone surrogate, a truncated or
// invalid byte sequence) becomes U+FFFD, so what goes out is always valid UTF-8
// and decoding never reads past the bytes it was given.
namespace Utf8 {

std::string encode(const String& text);
String decode(const char* bytes, size_t count);
inline String decode(const std::string& bytes) {
    return decode(bytes.data(), bytes.size());
}
// True when every sequence is well-formed (what encode produces), so decoding
// would replace nothing.
bool isValid(std::string_view bytes);

// The sequence at the start of `bytes` (`count` of them there, at least one):
// writes its UTF-16 units to `out` (one or two; one U+FFFD for a maximal
// ill-formed part), sets `units` to their number and returns how many bytes it
// took. Decoding sequence after sequence gives what decode() gives.
size_t decodeNext(const unsigned char* bytes, size_t count, char16_t* out, int& units);

} // namespace Utf8
