#pragma once

#include "base/String.h"

// The window side of an Announcement: a text control that screen readers
// treat as a live region. The Win32 answer is dialogs/win/LiveRegion.
class AnnouncementView {
  public:
    virtual ~AnnouncementView() = default;

    // Puts the text into the control without telling anyone.
    virtual void showText(const String& text) = 0;
    // Tells screen readers that the control now says `text`.
    virtual void announce(const String& text) = 0;
};
