#include "dialogs/Announcement.h"

void Announcement::show(const String& text, int occasion) {
    const bool sameText = showing && text == shown;
    if (sameText && occasion == shownOccasion)
        return;
    if (!sameText)
        view.showText(text);
    showing = true;
    shown = text;
    shownOccasion = occasion;
    if (!text.empty())
        view.announce(text);
}
