#pragma once

#include "automation/AutomationClient.h"
#include "automation/OverlayView.h"

// The one mark on the screen: a translucent box over an element, in a top-most,
// click-through window spread over the monitor that holds the element. An
// element of the system Settings application is marked blinking: every 100 ms
// the window is hidden and a frame image is drawn straight onto the screen
// instead, then the window comes back. All calls run on the UI thread.
class Overlay {
  public:
    explicit Overlay(OverlayView& view) : view(view) {}

    // Marks the element, or removes the mark for none. True exactly when an
    // element was given and its rectangle is not empty (also when it is the one
    // already marked); a failed rectangle read counts as empty. Showing an empty
    // rectangle twice removes the window.
    bool show(AutomationClient* client, const AutomationElementPtr& element);

    // The marked rectangle in screen coordinates; empty when nothing is marked.
    ElementRect rect() const { return marked; }
    // The marked rectangle where the window paints it; empty when nothing is
    // marked.
    ElementRect boxRect() const;
    // Forgets the mark and removes the window; the next show with an element
    // makes it again (the navigator between steps).
    void removeWindow();
    // The blink timer.
    void tick();
    // Releases the frame image and the window; a later show starts afresh.
    void shutdown();

    bool isBlinking() const { return blinking; }
    bool isWindowShown() const { return windowShown; }

    static constexpr int blinkTimer = 3;
    static constexpr int blinkPeriodMs = 100;
    // Part of the automation id of every element of the system Settings.
    static constexpr char16_t settingsMarker[] = u"windows.immersivecontrolpanel_cw5n1h2txyewy";

  private:
    // Makes the window over the monitor of `rect`, or moves it there.
    // True when it made the window (which then lies on top already).
    bool placeWindow(const ElementRect& rect);
    void releaseFrameImage();
    void forgetWindow();

    OverlayView& view;
    ElementRect marked;
    ElementRect windowArea; // the monitor the window covers, while it exists
    bool hasFrameImage = false;
    bool blinking = false;
    bool windowShown = false;
};
