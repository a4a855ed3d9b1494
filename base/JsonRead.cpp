#include "base/Json.h"

namespace Json {

ElementMap* asMap(const ElementPtr& element) {
    if (!element || element->type() != Object)
        return nullptr;
    return static_cast<ElementMap*>(element.get());
}

bool isObject(const ElementPtr& element) {
    return asMap(element) != nullptr;
}

String text(const ElementPtr& element) {
    if (!element || element->type() != Text)
        return String();
    return static_cast<const ElementString*>(element.get())->value();
}

// A parsed document's slot owns nothing: the member shares ownership of what
// holds `map`, so it keeps the document alive as a built member would.
ElementPtr member(const ElementPtr& map, const String& key) {
    const ElementMap* object = asMap(map);
    if (!object)
        return ElementPtr();
    ElementPtr slot = object->find(key);
    if (slot && slot.use_count() == 0)
        return ElementPtr(map, slot.get());
    return slot;
}

String memberText(const ElementPtr& map, const String& key) {
    return text(member(map, key));
}

int memberInt(const ElementPtr& map, const String& key) {
    return memberText(map, key).toInt();
}

} // namespace Json
