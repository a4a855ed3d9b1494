#include "service/Json.h"

#include <cstdint>
#include <vector>

namespace Json {

namespace {

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
            // Everything between the quotes belongs to the token, escaped quotes
            // included, so the token is the text between them.
            String token(tokenStart, static_cast<int>(cursor - tokenStart));
            if (level.valueExpected) {
                token.replaceAll(u"\\\"", u"\"");
                // The key is not needed after its value: move it into the member.
                level.map->members.insert_or_assign(std::move(level.key),
                                                    std::make_shared<ElementString>(token, false));
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
