#include "app/MainWindowTitle.h"

String mainWindowTitle(const String& title, const String& version) {
    String text = title;
    if (!title.empty() && !version.empty())
        text.append(String(u" - "));
    text.append(version);
    return text;
}
