#pragma once

#include "automation/AutomationClient.h"
#include "automation/FrameImage.h"

#include <optional>
#include <vector>

// What the overlay needs of the platform: monitor geometry, one top-most,
// click-through window over a monitor, and drawing the frame image straight
// onto the screen. The window layer implements it with Win32; tests record it.
class OverlayView {
  public:
    virtual ~OverlayView() = default;

    // Every monitor's rectangle in screen coordinates.
    virtual std::vector<ElementRect> monitors() = 0;
    // The rectangle of the owner window's monitor (the nearest one); nullopt when
    // it cannot be read.
    virtual std::optional<ElementRect> ownerMonitor() = 0;

    // True while the overlay window exists.
    virtual bool windowExists() = 0;
    // Registers the window class and creates the window over `area`, shown; false
    // when it could not be created.
    virtual bool createWindow(const ElementRect& area) = 0;
    virtual void moveWindow(const ElementRect& area) = 0;
    // Destroys the window and unregisters its class.
    virtual void destroyWindow() = 0;
    virtual void showWindow(bool show) = 0;
    // Puts the window above every other top-most window: the program of the
    // framed element may have come to the front since, over the frame.
    virtual void raiseWindow() = 0;
    // Paints the whole window anew, background included.
    virtual void repaint() = 0;

    // Replaces the image that blendFrame draws, releasing the previous one;
    // null only releases.
    virtual void setFrameImage(const FrameImage* image) = 0;
    // Blends the frame image onto the screen with its top-left corner at (x, y).
    virtual void blendFrame(int x, int y) = 0;
};
