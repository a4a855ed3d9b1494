// libFuzzer target: any reply bytes, parsed straight from UTF-8, read member by
// member as the ticket list reads them, and decoded first as the other replies
// are; all readings agree, and what was parsed writes and parses back to the
// same document.
// AddressSanitizer and UBSan watch every read.
#include "base/Json.h"
#include "base/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    ElementPtr members = Json::makeRoot();
    Json::readMembersUtf8(std::string_view(reinterpret_cast<const char*>(data), size),
                          [&members](const String& key, const ElementPtr& value) {
                              if (Json::isObject(value))
                                  Json::asMap(members)->get(key) =
                                      Json::parseText(Json::writeText(value));
                              else
                                  Json::ElementMap::setString(members, key, Json::text(value));
                          });
    if (!(Json::writeText(members) == written))
        std::abort();
    const ElementPtr fromText = Json::parseText(text);
    if (!(Json::writeText(fromText) == written))
        std::abort();

    // What was parsed writes and parses back to the same document.
    ElementPtr again = Json::parseText(written);
    if (!(Json::writeText(again) == written))
        std::abort();
    const std::string bytes = Utf8::encode(written);
    (void)Utf8::decode(bytes);
    return 0;
}
