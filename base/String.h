#pragma once

#include <cstdint>
#include <initializer_list>

// The text type of the whole program: UTF-16 code units with a terminating
// zero, a signed 32-bit length and a borrowed flag (a borrowed buffer is
// neither owned nor freed). Conversion to wchar_t happens only at the Win32
// boundary (base/win/WideText.h); conversion to UTF-8 belongs to the transport.
class String {
  public:
    String() = default;
    String(const char16_t* text);             // zero-terminated; null gives empty
    String(const char16_t* text, int length); // length in code units
    String(const String& other);
    String(String&& other) noexcept;
    ~String();

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char16_t* text);

    // A String that refers to foreign memory without copying it. The memory
    // must outlive the String and hold a zero after `length` units.
    static String borrow(const char16_t* text, int length);

    // 8-bit text widened byte by byte (no code-page conversion). A negative
    // length means zero-terminated.
    static String fromLatin1(const char* text, int length = -1);

    void assign(const char16_t* text, int length);
    void assignLatin1(const char* text, int length = -1);

    int length() const { return len; }
    bool empty() const { return len == 0; }
    bool isBorrowed() const { return borrowed; }
    // Always zero-terminated, never null.
    const char16_t* data() const { return buf ? buf : u""; }
    char16_t operator[](int index) const { return data()[index]; }

    String& append(const String& other);
    String& append(const char16_t* text, int length);
    String& append(char16_t unit);
    String& operator+=(const String& other) { return append(other); }
    String& operator+=(char16_t unit) { return append(unit); }

    void clear();

    // Filling in place: room for at least `capacity` units (what is there is kept)
    // and the buffer to write them to; setLength() then fixes the length, at most
    // that capacity, and writes the terminator.
    char16_t* reserveForWrite(int capacity);
    void setLength(int length);

    // Units [pos, pos + count), clamped to the text; a negative count means
    // "to the end".
    String substr(int pos, int count = -1) const;

    // First occurrence of pattern at or after `from`; -1 for none, also for an
    // empty text or pattern, a pattern longer than the text, or a start at or
    // past the end.
    int find(const String& pattern, int from = 0) const;
    bool contains(const String& pattern) const { return find(pattern) >= 0; }
    bool startsWith(const String& prefix) const;

    // Replaces every occurrence scanning left to right, resuming after each
    // inserted replacement. Returns the number of replacements.
    int replaceAll(const String& pattern, const String& replacement);

    // Lower-casing unit by unit as towlower does in the C locale (A to Z only).
    String lower() const;
    static char16_t lowerUnit(char16_t unit) {
        return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
    }

    // Base-10 integer in the manner of _wtoi: leading blanks, optional sign,
    // digits; 0 when there are none; clamped to the 32-bit range.
    int toInt() const;
    // The same, read from `text` up to its first character that cannot
    // continue a number (a zero terminator at the latest).
    static int toInt(const char16_t* text);

    // Formatting in the manner of the wide swprintf for the conversions the
    // program uses: %s (String or char16_t text), %c, %i, %d, %u, %x, %X with
    // optional '0' flag, '-' flag and width, and %%. The result has its full
    // length; nothing is cut.
    class Arg {
      public:
        Arg(const String& s) : kind(Text), text(&s) {}
        Arg(const char16_t* s) : kind(Units), units(s) {}
        Arg(char16_t c) : kind(Char), number(c) {}
        Arg(int v) : kind(Signed), number(v) {}
        Arg(long v) : kind(Signed), number(v) {}
        Arg(long long v) : kind(Signed), number(v) {}
        Arg(unsigned v) : kind(Unsigned), number(v) {}
        Arg(unsigned long v) : kind(Unsigned), number(static_cast<long long>(v)) {}
        Arg(unsigned long long v) : kind(Unsigned), number(static_cast<long long>(v)) {}

      private:
        friend class String;
        enum Kind { Text, Units, Char, Signed, Unsigned } kind;
        const String* text = nullptr;
        const char16_t* units = nullptr;
        long long number = 0;
    };
    static String formatArgs(const char16_t* format, std::initializer_list<Arg> args);
    template <typename... A> static String format(const char16_t* fmt, const A&... args) {
        return formatArgs(fmt, {Arg(args)...});
    }

    friend bool operator==(const String& a, const String& b);
    friend bool operator!=(const String& a, const String& b) { return !(a == b); }
    // Code unit by code unit as unsigned 16-bit values; a prefix sorts first.
    friend bool operator<(const String& a, const String& b);
    friend String operator+(const String& a, const String& b);

  private:
    void reserve(int capacity);

    char16_t* buf = nullptr;
    int32_t len = 0;
    int32_t cap = 0; // owned capacity in units, not counting the terminator
    bool borrowed = false;
};
