#pragma once

#include <windows.h>

// The main window's calls into the overlay window, gathered in one place: each
// forwards to the part of the program that owns it. Until the overlay is in,
// they do nothing.
class ScreenPickCalls {
  public:
    // OverlayWindow::attach(instance, owner), when the main window initialises.
    void attachOverlay(HINSTANCE instance, HWND owner);
    // OverlayWindow::shutdown, when the program ends.
    void shutdownOverlay();
};
