#include "base/Json.h"

#include <vector>

namespace Json {

namespace {

// A key or value as a JSON string's contents.
void appendEscaped(String& out, const String& text) {
    static const char16_t hex[] = u"0123456789abcdef";
    const char16_t* p = text.data();
    for (int i = 0; i < text.length(); ++i) {
        const char16_t c = p[i];
        switch (c) {
        case u'"':
            out.append(u"\\\"", 2);
            break;
        case u'\\':
            out.append(u"\\\\", 2);
            break;
        case u'\n':
            out.append(u"\\n", 2);
            break;
        case u'\r':
            out.append(u"\\r", 2);
            break;
        case u'\t':
            out.append(u"\\t", 2);
            break;
        default:
            if (c < 0x20) {
                const char16_t escape[] = {u'\\', u'u', u'0', u'0', hex[c >> 4], hex[c & 15]};
                out.append(escape, 6);
            } else {
                out.append(c);
            }
        }
    }
}

} // namespace

// Members in key order; nested objects are walked with an explicit stack.
void write(const ElementPtr& element, String& out) {
    const ElementMap* root = asMap(element);
    if (!root)
        return;
    struct Open {
        const ElementMap* map;
        Members::const_iterator next;
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
        appendEscaped(out, key);
        out.append(u"\":", 2);
        if (const ElementMap* nested = asMap(value)) {
            out.append(u'{');
            open.push_back(Open{nested, nested->members.begin()});
        } else {
            out.append(u'"');
            appendEscaped(out, text(value));
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
