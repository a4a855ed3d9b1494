#include "service/Json.h"

#include <vector>

namespace Json {

// Keys and values go out verbatim: values were escaped when they were stored and
// keys are fixed identifiers. Nested objects are walked with an explicit stack.
void write(const ElementPtr& element, String& out) {
    const ElementMap* root = asMap(element);
    if (!root)
        return;
    struct Open {
        const ElementMap* map;
        std::map<String, ElementPtr>::const_iterator next;
    };
    std::vector<Open> open;
    out.append(u'{');
    open.push_back(Open{root, root->members.begin()});
    while (!open.empty()) {
        Open& top = open.back();
        if (top.next == top.map->members.end()) {
            out.append(u'}');
            open.pop_back();
            continue;
        }
        if (top.next != top.map->members.begin())
            out.append(u',');
        const String& key = top.next->first;
        const ElementPtr& value = top.next->second;
        ++top.next;
        out.append(u'"');
        out.append(key);
        out.append(u"\":", 2);
        if (const ElementMap* nested = asMap(value)) {
            out.append(u'{');
            open.push_back(Open{nested, nested->members.begin()});
        } else {
            out.append(u'"');
            out.append(text(value));
            out.append(u'"');
        }
    }
}

String writeText(const ElementPtr& element) {
    String out;
    write(element, out);
    return out;
}

} // namespace Json
