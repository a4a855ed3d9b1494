#include "app/ExecutableName.h"

namespace {

int lastIndexOf(const String& text, char16_t unit) {
    for (int i = text.length() - 1; i >= 0; --i)
        if (text[i] == unit)
            return i;
    return -1;
}

} // namespace

String executableName(const String& modulePath) {
    int cut = lastIndexOf(modulePath, u'/');
    if (cut < 0)
        cut = lastIndexOf(modulePath, u'\\');
    return modulePath.substr(cut + 1);
}
