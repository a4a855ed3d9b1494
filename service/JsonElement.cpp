#include "service/Json.h"

#include <vector>

namespace Json {

namespace {

bool needsNormalising(const String& s, bool escapeQuotes) {
    const char16_t* p = s.data();
    for (int i = 0; i < s.length(); ++i) {
        char16_t c = p[i];
        if (c == u'\\' || c == u'\n' || c == u'\r' || c == u'\t' || (escapeQuotes && c == u'"'))
            return true;
    }
    return false;
}

} // namespace

// Text built by the program (line breaks, quotes, backslashes) ends up escaped and
// ready to be written verbatim; text from a reply gets its \n, \r, \t turned into
// control characters, \/ into /, and every remaining backslash doubled. The order
// of the steps matters and is what the service expects.
ElementString::ElementString(const String& input, bool escapeQuotes) : text(input) {
    if (!needsNormalising(input, escapeQuotes))
        return;
    const bool hadN = input.contains(u"\\n");
    const bool hadR = input.contains(u"\\r");
    const bool hadT = input.contains(u"\\t");
    if (hadN)
        text.replaceAll(u"\\n", u"\n");
    if (hadR)
        text.replaceAll(u"\\r", u"\r");
    if (hadT)
        text.replaceAll(u"\\t", u"\t");
    text.replaceAll(u"\\/", u"/");
    text.replaceAll(u"\\", u"\\\\");
    if (escapeQuotes)
        text.replaceAll(u"\"", u"\\\"");
    if (!hadN)
        text.replaceAll(u"\n", u"\\n");
    if (!hadR)
        text.replaceAll(u"\r", u"\\r");
    if (!hadT)
        text.replaceAll(u"\t", u"\\t");
}

// Releasing a deeply nested document member by member would recurse once per
// level; nested objects are unlinked first and freed one after another. Each
// member's subtree is finished before the next, so the list of pending objects
// stays as short as the document is deep.
ElementMap::~ElementMap() {
    std::vector<ElementPtr> pending;
    auto unlinkObjects = [&pending](std::map<String, ElementPtr>& from) {
        for (auto& entry : from) {
            if (entry.second && entry.second->type() == Object)
                pending.push_back(std::move(entry.second));
        }
        from.clear();
    };
    for (auto& entry : members) {
        if (!entry.second || entry.second->type() != Object)
            continue;
        pending.push_back(std::move(entry.second));
        while (!pending.empty()) {
            ElementPtr next = std::move(pending.back());
            pending.pop_back();
            // Someone else still holds it: it is released with its owner's last
            // reference instead.
            if (next.use_count() == 1)
                unlinkObjects(static_cast<ElementMap*>(next.get())->members);
        }
    }
}

ElementPtr ElementMap::setString(const ElementPtr& map, const String& key, const String& value,
                                 bool escapeQuotes) {
    ElementMap* object = asMap(map);
    if (!object)
        return ElementPtr();
    object->members[key] = std::make_shared<ElementString>(value, escapeQuotes);
    return map;
}

ElementPtr ElementMap::addMap(const ElementPtr& map, const String& key) {
    ElementMap* object = asMap(map);
    if (!object)
        return ElementPtr();
    ElementPtr nested = std::make_shared<ElementMap>();
    object->members[key] = nested;
    return nested;
}

ElementPtr ElementMap::find(const String& key) const {
    auto it = members.find(key);
    return it == members.end() ? ElementPtr() : it->second;
}

ElementPtr makeRoot() {
    return std::make_shared<ElementMap>(String(u"root"));
}

} // namespace Json
