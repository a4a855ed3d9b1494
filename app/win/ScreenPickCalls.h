#pragma once

#include "automation/AutomationClient.h"

#include <windows.h>

// The calls of the on-screen pick into the overlay window, the low-level mouse
// hook and the element under the cursor, gathered in one place: each forwards to
// the part of the program that owns it. Until those parts are in, nothing is
// framed or hooked and no element is found, so a pick frames nothing, as it does
// without an automation client.
class ScreenPickCalls {
  public:
    // elementUnderCursor(automation) of automation/win/ElementUnderCursor.h.
    AutomationElementPtr elementUnderCursor(AutomationClient* automation);
    // installMouseHook() and removeMouseHook() of recording/win/InputHooks.h.
    void installMouseHook();
    void removeMouseHook();
    // OverlayWindow::show(automation, element); a null element hides the frame.
    void frame(AutomationClient* automation, const AutomationElementPtr& element);
    // OverlayWindow::attach(instance, owner), when the main window initialises.
    void attachOverlay(HINSTANCE instance, HWND owner);
    // OverlayWindow::shutdown, when the program ends.
    void shutdownOverlay();
};
