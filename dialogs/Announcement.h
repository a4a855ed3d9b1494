#pragma once

#include "dialogs/AnnouncementView.h"

// A text that a window working beside the program in front shows and reads
// out to screen readers: the navigator's instruction, the recorder's element
// under the pointer, the notification of a solved ticket. Those windows do not
// have the focus, so what they say is only heard when they announce it.
//
// Callers show their text as often as they like (the navigator repeats its
// waiting text every few ticks); a listener hears it once for each occasion:
// when the text changes, or when the occasion changes with the same text (the
// next step of a playback that reads like the last one). An empty text is
// shown but not read out.
class Announcement {
  public:
    explicit Announcement(AnnouncementView& view) : view(view) {}

    void show(const String& text, int occasion = 0);
    // The window has gone: the next text is read out whatever it says.
    void forget() { showing = false; }

  private:
    AnnouncementView& view;
    String shown;
    int shownOccasion = 0;
    bool showing = false;
};
