#pragma once

#include "automation/AutomationClient.h"
#include "base/String.h"

#include <cstdint>
#include <vector>

// What the on-screen pick, the recorder and the navigator need of the desktop
// around the element tree: the cursor and the element under it, the one frame
// on the screen, the low-level input hooks, the running programs and a clock.
// One Windows implementation (automation/win/DesktopApi) for all three; tests
// script it (tests/support/FakeDesktop).
class Desktop {
  public:
    virtual ~Desktop() = default;

    // The element under the mouse cursor; none when there is none.
    virtual AutomationElementPtr elementUnderCursor(AutomationClient* client) = 0;
    // The cursor position in screen coordinates; false when it cannot be read.
    virtual bool cursorPosition(int& x, int& y) = 0;
    // True while a mouse button or Return is held down.
    virtual bool inputHeld() = 0;

    // The frame (OverlayWindow): marks the element or removes the mark for
    // none, true when the element's rectangle is not empty; the marked
    // rectangle in screen coordinates; removing its window and images.
    virtual bool showOverlay(AutomationClient* client, const AutomationElementPtr& element) = 0;
    virtual ElementRect overlayRect() = 0;
    virtual void removeOverlayWindow() = 0;

    // The low-level hooks that feed ClickMonitor and KeyMonitor, for `user`
    // (any address the feature owns): the mouse hook, and the keyboard hook
    // too when `keyboard`. Hooks are shared as InputHookUsers rules: one user's
    // end never removes another's.
    virtual void installInputHooks(const void* user, bool keyboard) = 0;
    virtual void removeInputHooks(const void* user) = 0;

    // Brings the running program with that lower-case module name to the front:
    // an Activation:: code.
    virtual int activateApplication(const String& moduleName) = 0;
    // The ids of the running processes; empty when they cannot be listed.
    virtual std::vector<uint32_t> processIds() = 0;
    // Milliseconds of a steady clock.
    virtual uint64_t now() = 0;
};
