#include "base/Utf8.h"

#include <climits>
#include <new>

namespace Utf8 {

namespace {

constexpr char16_t replacement = 0xFFFD;

bool isHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}
bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

void put(std::string& out, unsigned value) {
    out.push_back(static_cast<char>(value));
}

// The sequence that starts at b[i]: its code point and its length when it is
// well-formed as Unicode defines it (no overlong forms, no encoded surrogates,
// nothing above U+10FFFF); otherwise false, with the length of its maximal
// ill-formed part, after which decoding resumes.
bool readSequence(const unsigned char* b, size_t i, size_t count, unsigned& cp, size_t& length) {
    const unsigned lead = b[i];
    length = 1;
    if (lead < 0x80) {
        cp = lead;
        return true;
    }
    int need;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return false;
    }
    int got = 0;
    while (got < need && i + length < count) {
        const unsigned char next = b[i + length];
        if (got == 0 ? (next < low || next > high) : !isContinuation(next))
            break;
        cp = (cp << 6) | (next & 0x3F);
        ++got;
        ++length;
    }
    return got == need;
}

} // namespace

std::string encode(const String& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.length()) + 16);
    const char16_t* p = text.data();
    const int n = text.length();
    for (int i = 0; i < n; ++i) {
        unsigned c = p[i];
        if (isHighSurrogate(p[i]) && i + 1 < n && isLowSurrogate(p[i + 1])) {
            unsigned cp = 0x10000 + ((c - 0xD800) << 10) + (p[i + 1] - 0xDC00u);
            ++i;
            put(out, 0xF0 | (cp >> 18));
            put(out, 0x80 | ((cp >> 12) & 0x3F));
            put(out, 0x80 | ((cp >> 6) & 0x3F));
            put(out, 0x80 | (cp & 0x3F));
            continue;
        }
        if (isHighSurrogate(p[i]) || isLowSurrogate(p[i]))
            c = replacement;
        if (c < 0x80) {
            put(out, c);
        } else if (c < 0x800) {
            put(out, 0xC0 | (c >> 6));
            put(out, 0x80 | (c & 0x3F));
        } else {
            put(out, 0xE0 | (c >> 12));
            put(out, 0x80 | ((c >> 6) & 0x3F));
            put(out, 0x80 | (c & 0x3F));
        }
    }
    return out;
}

size_t decodeNext(const unsigned char* bytes, size_t count, char16_t* out, int& units) {
    unsigned cp = 0;
    size_t length = 0;
    if (!readSequence(bytes, 0, count, cp, length)) {
        out[0] = replacement;
        units = 1;
    } else if (cp < 0x10000) {
        out[0] = static_cast<char16_t>(cp);
        units = 1;
    } else {
        cp -= 0x10000;
        out[0] = static_cast<char16_t>(0xD800 + (cp >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        units = 2;
    }
    return length;
}

// Each maximal ill-formed part yields one U+FFFD. A sequence of n bytes gives at
// most n units, so the text is written in place into room for `count` units;
// plain ASCII, most of every reply, is widened byte by byte.
String decode(const char* bytes, size_t count) {
    String out;
    if (count == 0)
        return out;
    if (count > static_cast<size_t>(INT_MAX - 1))
        throw std::bad_alloc();
    char16_t* const start = out.reserveForWrite(static_cast<int>(count));
    char16_t* to = start;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    const auto* end = b + count;
    while (b < end) {
        if (*b < 0x80) {
            *to++ = *b++;
            continue;
        }
        int units = 0;
        b += decodeNext(b, static_cast<size_t>(end - b), to, units);
        to += units;
    }
    out.setLength(static_cast<int>(to - start));
    return out;
}

bool isValid(std::string_view bytes) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned cp = 0;
        size_t length = 0;
        if (!readSequence(b, i, bytes.size(), cp, length))
            return false;
        i += length;
    }
    return true;
}

} // namespace Utf8
