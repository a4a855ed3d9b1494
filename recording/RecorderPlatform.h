#pragma once

#include "automation/AutomationClient.h"
#include "base/String.h"
#include "automation/Capture.h"

#include <cstdint>

// What the recorder needs of the desktop and of the rest of the program. The
// window layer answers with the real cursor, overlay, hooks and service; tests
// script a desktop over the in-memory tree.
class RecorderPlatform {
  public:
    virtual ~RecorderPlatform() = default;

    // The element under the mouse cursor; none when there is none.
    virtual AutomationElementPtr elementUnderCursor() = 0;
    // The cursor position in screen coordinates; false when it cannot be read.
    virtual bool cursorPosition(int& x, int& y) = 0;
    // Marks the element on the screen, or removes the mark for none; true when
    // its rectangle is not empty.
    virtual bool showOverlay(const AutomationElementPtr& element) = 0;
    // Releases the overlay's window and images.
    virtual void shutdownOverlay() = 0;
    // The low-level mouse and keyboard hooks that feed ClickMonitor and
    // KeyMonitor. Both calls empty KeyMonitor; a pending click stays.
    virtual void installInputHooks() = 0;
    virtual void removeInputHooks() = 0;
    // Brings the running program with that lower-case module name to the front.
    virtual void activateApplication(const String& moduleName) = 0;
    // The recorder's own dialog window as a number; clicks inside it are not
    // recorded.
    virtual uintptr_t dialogWindow() = 0;
    // Stores the capture as the ticket's solution; on false `errorText` holds
    // the service's reply.
    virtual bool uploadCapture(int ticketId, const Capture& capture, String& errorText) = 0;
    // Shows the main window again once the recorder has closed.
    virtual void showMainWindow() = 0;
};
