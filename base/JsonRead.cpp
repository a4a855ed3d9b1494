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

ElementPtr member(const ElementPtr& map, const String& key) {
    const ElementMap* object = asMap(map);
    return object ? object->find(key) : ElementPtr();
}

String memberText(const ElementPtr& map, const String& key) {
    return text(member(map, key));
}

int memberInt(const ElementPtr& map, const String& key) {
    return memberText(map, key).toInt();
}

} // namespace Json
