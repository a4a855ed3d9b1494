#include "server/PlainText.h"

namespace {

String undoDoubling(const String& in) {
    String out;
    const char16_t* p = in.data();
    const int n = in.length();
    for (int i = 0; i < n; ++i) {
        if (p[i] == u'\\' && i + 1 < n) {
            const char16_t next = p[i + 1];
            char16_t replacement = 0;
            if (next == u'\\')
                replacement = u'\\';
            else if (next == u'n')
                replacement = u'\n';
            else if (next == u'r')
                replacement = u'\r';
            else if (next == u't')
                replacement = u'\t';
            if (replacement) {
                out.append(replacement);
                ++i;
                continue;
            }
        }
        out.append(p[i]);
    }
    return out;
}

String undoEscapedBackslashes(const String& in) {
    String out;
    const char16_t* p = in.data();
    const int n = in.length();
    for (int i = 0; i < n; ++i) {
        out.append(p[i]);
        if (p[i] == u'\\' && i + 1 < n && p[i + 1] == u'\\')
            ++i;
    }
    return out;
}

} // namespace

String plainText(const String& stored) {
    if (!stored.contains(u"\\"))
        return stored;
    return undoEscapedBackslashes(undoDoubling(stored));
}
