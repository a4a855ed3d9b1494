#pragma once

#include "service/VersionResource.h"
#include "automation/AutomationClient.h"

#include <cstdint>

// What the on-screen software pick needs of the platform: the element under the
// cursor and the cursor itself, the low-level mouse hook that notes clicks in the
// ClickMonitor, the frame on the screen, the version resources of executables,
// and the main window, whose own elements are never picked.
class PickPlatform {
  public:
    virtual ~PickPlatform() = default;

    // The element at the cursor; null when there is none.
    virtual AutomationElementPtr elementUnderCursor() = 0;
    // The cursor's screen position; false when it cannot be read.
    virtual bool cursorPosition(int& x, int& y) = 0;
    virtual void installMouseHook() = 0;
    virtual void removeMouseHook() = 0;
    // Frames the element; null hides the frame.
    virtual void frame(const AutomationElementPtr& element) = 0;
    virtual VersionResource& versionResource() = 0;
    // The main window's handle as a number.
    virtual uintptr_t mainWindow() = 0;
};
