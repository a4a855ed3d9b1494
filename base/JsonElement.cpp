#include "base/Json.h"

#include <vector>

namespace Json {

// Releasing a deeply nested document member by member would recurse once per
// level; nested objects are unlinked first and freed one after another. Each
// member's subtree is finished before the next, so the list of pending objects
// stays as short as the document is deep. Slots that own nothing (a parsed
// document's) are left to the document, without touching their elements.
ElementMap::~ElementMap() {
    std::vector<ElementPtr> pending;
    auto ownsObject = [](const ElementPtr& slot) {
        return slot.use_count() > 0 && slot->type() == Object;
    };
    auto unlinkObjects = [&pending, &ownsObject](Members& from) {
        for (auto& entry : from) {
            if (ownsObject(entry.second))
                pending.push_back(std::move(entry.second));
        }
        from.clear();
    };
    for (auto& entry : members) {
        if (!ownsObject(entry.second))
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

ElementPtr ElementMap::setString(const ElementPtr& map, const String& key, const String& value) {
    ElementMap* object = asMap(map);
    if (!object)
        return ElementPtr();
    object->members[key] = std::make_shared<ElementString>(value);
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
