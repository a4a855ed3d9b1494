#include "base/Json.h"

#include <cstdint>
#include <vector>

namespace Json {

namespace {

int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The code unit of four hex digits at `p`; -1 unless all four are there before `end`.
int hexUnit(const char16_t* p, const char16_t* end) {
    if (end - p < 4)
        return -1;
    int unit = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = hexDigit(p[i]);
        if (digit < 0)
            return -1;
        unit = unit * 16 + digit;
    }
    return unit;
}

// The plain text of a quoted token. A surrogate pair written as two \u escapes
// gives the two units of the pair. An escape JSON does not know is kept as it
// stands, so nothing of the text is lost.
String unescape(const char16_t* begin, const char16_t* end) {
    const char16_t* p = begin;
    while (p < end && *p != u'\\')
        ++p;
    if (p == end)
        return String(begin, static_cast<int>(end - begin));
    String out(begin, static_cast<int>(p - begin));
    for (; p < end; ++p) {
        if (*p != u'\\' || p + 1 == end) {
            out.append(*p);
            continue;
        }
        const char16_t escaped = *++p;
        switch (escaped) {
        case u'"':
        case u'\\':
        case u'/':
            out.append(escaped);
            break;
        case u'b':
            out.append(u'\b');
            break;
        case u'f':
            out.append(u'\f');
            break;
        case u'n':
            out.append(u'\n');
            break;
        case u'r':
            out.append(u'\r');
            break;
        case u't':
            out.append(u'\t');
            break;
        case u'u': {
            const int unit = hexUnit(p + 1, end);
            if (unit < 0) {
                out.append(u'\\');
                out.append(escaped);
            } else {
                out.append(static_cast<char16_t>(unit));
                p += 4;
            }
            break;
        }
        default:
            out.append(u'\\');
            out.append(escaped);
        }
    }
    return out;
}

// One open object: where its members go, the key waiting for a value, and
// whether a ":" was seen since the last value.
struct Level {
    ElementMap* map;
    String key;
    bool valueExpected;
};

// The nesting is kept on an explicit stack, so a reply with a great many "{" does
// not exhaust the thread's stack. Everything else follows the recursive grammar:
// a nested object goes under the current key, the key stays set afterwards, and
// the outermost "}" ends the parse with the cursor resting on it. False when an
// object would open deeper than `maxDepth` levels; the parse stops there.
bool parseLevels(ElementMap& map, const char16_t*& cursor, size_t maxDepth) {
    while (*cursor && *cursor != u'{')
        ++cursor;
    if (!*cursor)
        return true;
    ++cursor;

    std::vector<Level> levels;
    levels.push_back(Level{&map, String(), false});
    bool inString = false;
    const char16_t* tokenStart = nullptr;
    // Backslashes standing directly before the current character: an odd count
    // escapes a double quote, an even count is a run of escaped backslashes.
    int backslashes = 0;

    for (; *cursor; ++cursor) {
        const char16_t c = *cursor;
        Level& level = levels.back();
        if (c == u'"' && backslashes % 2 == 0) {
            backslashes = 0;
            if (!inString) {
                inString = true;
                tokenStart = cursor + 1;
                continue;
            }
            inString = false;
            String token = unescape(tokenStart, cursor);
            if (level.valueExpected) {
                // The key is not needed after its value: move it into the member.
                level.map->members.insert_or_assign(
                    std::move(level.key), std::make_shared<ElementString>(std::move(token)));
                level.valueExpected = false;
                level.key.clear();
            } else {
                level.key = std::move(token);
            }
            continue;
        }
        backslashes = c == u'\\' ? backslashes + 1 : 0;
        if (inString)
            continue;
        if (c == u':') {
            level.valueExpected = true;
        } else if (c == u'{') {
            if (levels.size() >= maxDepth)
                return false;
            auto nested = std::make_shared<ElementMap>();
            level.map->members[level.key] = nested;
            // The parent keeps the nested object alive while it is being filled:
            // only the innermost level is ever modified.
            levels.push_back(Level{nested.get(), String(), false});
        } else if (c == u'}') {
            if (levels.size() == 1)
                return true;
            levels.pop_back();
            levels.back().valueExpected = false;
        }
    }
    // The text ended inside a string or an object: what was complete is kept.
    return true;
}

} // namespace

void parse(ElementMap& map, const char16_t*& cursor) {
    parseLevels(map, cursor, SIZE_MAX);
}

ElementPtr parseText(const String& text) {
    return parseText(text, SIZE_MAX);
}

ElementPtr parseText(const String& text, size_t maxDepth) {
    ElementPtr root = makeRoot();
    const char16_t* cursor = text.data();
    if (!parseLevels(*static_cast<ElementMap*>(root.get()), cursor, maxDepth))
        return nullptr;
    return root;
}

} // namespace Json
