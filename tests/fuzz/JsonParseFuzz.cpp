// libFuzzer target: any reply bytes, parsed straight from UTF-8, read member by
// member as the ticket list reads them (whole, and in parts as they arrive),
// and decoded first as the other replies are; all readings agree, and what was
// parsed writes and parses back to the same document.
// AddressSanitizer and UBSan watch every read.
#include "base/Json.h"
#include "base/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const String text = Utf8::decode(reinterpret_cast<const char*>(data), size);
    ElementPtr root = Json::makeRoot();
    const char16_t* start = text.data();
    const char16_t* cursor = start;
    Json::parse(*Json::asMap(root), cursor);
    // The cursor ends on the terminator or on the closing brace, never beyond.
    if (cursor < start || cursor > start + text.length())
        std::abort();
    if (*cursor != 0 && *cursor != u'}')
        std::abort();

    // Read from the bytes, decoded on the way, the document is the same.
    const String written = Json::writeText(root);
    const ElementPtr fromBytes =
        Json::parseUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!(Json::writeText(fromBytes) == written))
        std::abort();
    // Member by member, the last value of each key makes the same document.
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto keepIn = [](ElementPtr& members) {
        return [&members](const String& key, const ElementPtr& value) {
            if (Json::isObject(value))
                Json::asMap(members)->get(key) = Json::parseText(Json::writeText(value));
            else
                Json::ElementMap::setString(members, key, Json::text(value));
        };
    };
    ElementPtr members = Json::makeRoot();
    Json::readMembersUtf8(bytes, keepIn(members));
    if (!(Json::writeText(members) == written))
        std::abort();
    // In parts, cut as the ticket list cuts bytes that arrive one at a time, the
    // same document.
    ElementPtr inParts = Json::makeRoot();
    Json::MemberStream stream(keepIn(inParts));
    std::string unread;
    size_t leftOver = 0;
    for (const char byte : bytes) {
        unread += byte;
        if (unread.size() < 2 * leftOver)
            continue;
        const size_t read = stream.readPart(unread);
        if (read > unread.size())
            std::abort();
        unread.erase(0, read);
        leftOver = unread.size();
    }
    stream.readLast(unread);
    if (!(Json::writeText(inParts) == written))
        std::abort();
    const ElementPtr fromText = Json::parseText(text);
    if (!(Json::writeText(fromText) == written))
        std::abort();

    // What was parsed writes and parses back to the same document.
    ElementPtr again = Json::parseText(written);
    if (!(Json::writeText(again) == written))
        std::abort();
    (void)Utf8::decode(Utf8::encode(written));
    return 0;
}
