#include "app/ExecutableName.h"

#include <algorithm>

namespace {

int lastIndexOf(const String& text, char16_t unit) {
    for (int i = text.length() - 1; i >= 0; --i)
        if (text[i] == unit)
            return i;
    return -1;
}

} // namespace

String executableName(const String& modulePath) {
    // Whichever separator comes last: a name that kept a backslash would not
    // make a mutex, and the start would be taken for a second instance.
    const int cut = std::max(lastIndexOf(modulePath, u'/'), lastIndexOf(modulePath, u'\\'));
    return modulePath.substr(cut + 1);
}
