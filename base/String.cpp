#include "base/String.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

int unitLength(const char16_t* text) {
    if (!text)
        return 0;
    int n = 0;
    while (text[n])
        ++n;
    return n;
}

bool isBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

} // namespace

String::String(const char16_t* text) {
    assign(text, unitLength(text));
}

String::String(const char16_t* text, int length) {
    assign(text, length);
}

String::String(const String& other) {
    assign(other.data(), other.len);
}

String::String(String&& other) noexcept
    : buf(other.buf), len(other.len), cap(other.cap), borrowed(other.borrowed) {
    other.buf = nullptr;
    other.len = other.cap = 0;
    other.borrowed = false;
}

String::~String() {
    if (!borrowed)
        std::free(buf);
}

String& String::operator=(const String& other) {
    if (this != &other)
        assign(other.data(), other.len);
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this != &other) {
        if (!borrowed)
            std::free(buf);
        buf = other.buf;
        len = other.len;
        cap = other.cap;
        borrowed = other.borrowed;
        other.buf = nullptr;
        other.len = other.cap = 0;
        other.borrowed = false;
    }
    return *this;
}

String& String::operator=(const char16_t* text) {
    assign(text, unitLength(text));
    return *this;
}

String String::borrow(const char16_t* text, int length) {
    String s;
    s.buf = const_cast<char16_t*>(text);
    s.len = text ? (length < 0 ? unitLength(text) : length) : 0;
    s.borrowed = true;
    return s;
}

String String::fromLatin1(const char* text, int length) {
    String s;
    s.assignLatin1(text, length);
    return s;
}

void String::reserve(int capacity) {
    if (!borrowed && capacity <= cap && buf)
        return;
    // Doubling stops at the largest length a String can count.
    int64_t wanted = capacity;
    if (!borrowed && wanted < int64_t(cap) * 2)
        wanted = std::min<int64_t>(int64_t(cap) * 2, INT_MAX - 1);
    const int newCap = static_cast<int>(std::max<int64_t>(wanted, 15));
    auto* fresh = static_cast<char16_t*>(std::malloc((static_cast<size_t>(newCap) + 1) * 2));
    if (!fresh)
        throw std::bad_alloc();
    if (len > 0)
        std::memcpy(fresh, buf, static_cast<size_t>(len) * 2);
    fresh[len] = 0;
    if (!borrowed)
        std::free(buf);
    buf = fresh;
    cap = newCap;
    borrowed = false;
}

void String::assign(const char16_t* text, int length) {
    if (!text || length < 0)
        length = 0;
    if (length == 0) {
        clear();
        return;
    }
    // The source may live inside our own buffer.
    if (!borrowed && buf && text >= buf && text <= buf + len) {
        String copy(text, length);
        *this = std::move(copy);
        return;
    }
    len = 0;
    reserve(length);
    std::memcpy(buf, text, static_cast<size_t>(length) * 2);
    len = length;
    buf[len] = 0;
}

void String::assignLatin1(const char* text, int length) {
    if (!text)
        length = 0;
    else if (length < 0)
        length = static_cast<int>(std::strlen(text));
    clear();
    if (length == 0)
        return;
    reserve(length);
    for (int i = 0; i < length; ++i)
        buf[i] = static_cast<unsigned char>(text[i]);
    len = length;
    buf[len] = 0;
}

void String::clear() {
    if (borrowed) {
        buf = nullptr;
        cap = 0;
        borrowed = false;
    }
    len = 0;
    if (buf)
        buf[0] = 0;
}

char16_t* String::reserveForWrite(int capacity) {
    reserve(capacity < len ? len : capacity);
    return buf;
}

void String::setLength(int length) {
    if (!buf || borrowed)
        reserve(length);
    len = std::clamp(length, 0, cap);
    buf[len] = 0;
}

String& String::append(const String& other) {
    if (&other == this) {
        String copy(other);
        return append(copy.data(), copy.len);
    }
    return append(other.data(), other.len);
}

String& String::append(const char16_t* text, int length) {
    if (!text || length <= 0)
        return *this;
    if (!borrowed && buf && text >= buf && text <= buf + len) {
        String copy(text, length);
        return append(copy.data(), copy.len);
    }
    // Longer than a String can count is as impossible as running out of memory.
    if (length > INT_MAX - 1 - len)
        throw std::bad_alloc();
    reserve(len + length);
    std::memcpy(buf + len, text, static_cast<size_t>(length) * 2);
    len += length;
    buf[len] = 0;
    return *this;
}

String& String::append(char16_t unit) {
    return append(&unit, 1);
}

String String::substr(int pos, int count) const {
    if (pos < 0)
        pos = 0;
    if (pos >= len)
        return String();
    int rest = len - pos;
    if (count < 0 || count > rest)
        count = rest;
    return String(data() + pos, count);
}

int String::find(const String& pattern, int from) const {
    const int n = pattern.len;
    if (len == 0 || n == 0 || n > len || from < 0 || from >= len)
        return -1;
    const char16_t* t = data();
    const char16_t* p = pattern.data();
    for (int i = from; i + n <= len; ++i) {
        if (t[i] == p[0] && std::memcmp(t + i, p, static_cast<size_t>(n) * 2) == 0)
            return i;
    }
    return -1;
}

bool String::startsWith(const String& prefix) const {
    return prefix.len <= len &&
           std::memcmp(data(), prefix.data(), static_cast<size_t>(prefix.len) * 2) == 0;
}

int String::replaceAll(const String& pattern, const String& replacement) {
    if (pattern.len == 0 || len == 0)
        return 0;
    int at = find(pattern, 0);
    if (at < 0)
        return 0;
    String out;
    int count = 0;
    int from = 0;
    while (at >= 0) {
        out.append(data() + from, at - from);
        out.append(replacement);
        from = at + pattern.len;
        ++count;
        at = from < len ? find(pattern, from) : -1;
    }
    out.append(data() + from, len - from);
    *this = std::move(out);
    return count;
}

String String::lower() const {
    String out(*this);
    for (int i = 0; i < out.len; ++i)
        out.buf[i] = lowerUnit(out.buf[i]);
    return out;
}

int String::toInt() const {
    return toInt(data());
}

int String::toInt(const char16_t* t) {
    int i = 0;
    while (isBlank(t[i]))
        ++i;
    bool negative = false;
    if (t[i] == u'+' || t[i] == u'-') {
        negative = t[i] == u'-';
        ++i;
    }
    long long value = 0;
    while (t[i] >= u'0' && t[i] <= u'9') {
        value = value * 10 + (t[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
        ++i;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

namespace {

void appendNumber(String& out, unsigned long long magnitude, bool negative, int base, bool upper,
                  int width, bool zeroPad, bool leftAlign) {
    char16_t digits[32];
    int n = 0;
    const char16_t* set = upper ? u"0123456789ABCDEF" : u"0123456789abcdef";
    do {
        digits[n++] = set[magnitude % static_cast<unsigned>(base)];
        magnitude /= static_cast<unsigned>(base);
    } while (magnitude);
    int total = n + (negative ? 1 : 0);
    int pad = width > total ? width - total : 0;
    if (!leftAlign && !zeroPad)
        for (int i = 0; i < pad; ++i)
            out.append(u' ');
    if (negative)
        out.append(u'-');
    if (!leftAlign && zeroPad)
        for (int i = 0; i < pad; ++i)
            out.append(u'0');
    while (n > 0)
        out.append(digits[--n]);
    if (leftAlign)
        for (int i = 0; i < pad; ++i)
            out.append(u' ');
}

void appendPadded(String& out, const char16_t* text, int length, int width, bool leftAlign) {
    int pad = width > length ? width - length : 0;
    if (!leftAlign)
        for (int i = 0; i < pad; ++i)
            out.append(u' ');
    out.append(text, length);
    if (leftAlign)
        for (int i = 0; i < pad; ++i)
            out.append(u' ');
}

} // namespace

String String::formatArgs(const char16_t* format, std::initializer_list<Arg> args) {
    String out;
    if (!format)
        return out;
    const Arg* next = args.begin();
    const Arg* end = args.end();
    for (const char16_t* f = format; *f; ++f) {
        if (*f != u'%') {
            out.append(*f);
            continue;
        }
        const char16_t* start = f;
        ++f;
        if (*f == u'%') {
            out.append(u'%');
            continue;
        }
        bool zeroPad = false, leftAlign = false;
        while (*f == u'0' || *f == u'-') {
            if (*f == u'0')
                zeroPad = true;
            else
                leftAlign = true;
            ++f;
        }
        int width = 0;
        while (*f >= u'0' && *f <= u'9')
            width = width * 10 + (*f++ - u'0');
        while (*f == u'l' || *f == u'h')
            ++f;
        char16_t conv = *f;
        if (!conv || next == end) {
            // Malformed or missing argument: keep the text as written.
            out.append(start, static_cast<int>((conv ? f + 1 : f) - start));
            if (!conv)
                break;
            continue;
        }
        const Arg& a = *next++;
        switch (conv) {
        case u's':
            if (a.kind == Arg::Text)
                appendPadded(out, a.text->data(), a.text->length(), width, leftAlign);
            else if (a.kind == Arg::Units)
                appendPadded(out, a.units ? a.units : u"(null)",
                             unitLength(a.units ? a.units : u"(null)"), width, leftAlign);
            break;
        case u'c': {
            char16_t c = static_cast<char16_t>(a.number);
            appendPadded(out, &c, 1, width, leftAlign);
            break;
        }
        case u'i':
        case u'd': {
            long long v = a.kind == Arg::Unsigned
                              ? static_cast<int>(static_cast<unsigned>(a.number))
                              : a.number;
            if (a.kind == Arg::Signed)
                v = static_cast<int>(a.number); // 32-bit like the wide swprintf's int
            bool negative = v < 0;
            unsigned long long mag = negative ? 0ULL - static_cast<unsigned long long>(v)
                                              : static_cast<unsigned long long>(v);
            appendNumber(out, mag, negative, 10, false, width, zeroPad, leftAlign);
            break;
        }
        case u'u':
            appendNumber(out, static_cast<unsigned>(a.number), false, 10, false, width, zeroPad,
                         leftAlign);
            break;
        case u'x':
        case u'X':
            appendNumber(out, static_cast<unsigned>(a.number), false, 16, conv == u'X', width,
                         zeroPad, leftAlign);
            break;
        default:
            out.append(start, static_cast<int>(f + 1 - start));
            break;
        }
    }
    return out;
}

bool operator==(const String& a, const String& b) {
    return a.len == b.len && std::memcmp(a.data(), b.data(), static_cast<size_t>(a.len) * 2) == 0;
}

bool operator<(const String& a, const String& b) {
    const int n = a.len < b.len ? a.len : b.len;
    const char16_t* x = a.data();
    const char16_t* y = b.data();
    for (int i = 0; i < n; ++i) {
        if (x[i] != y[i])
            return x[i] < y[i];
    }
    return a.len < b.len;
}

String operator+(const String& a, const String& b) {
    String out(a);
    out.append(b);
    return out;
}
