#pragma once

#include "automation/AutomationClient.h"
#include "base/String.h"
#include "service/Ticket.h"

#include <cstdint>
#include <vector>

// What a playback needs of the system beside the element tree: the service, the
// desktop, the one overlay, the input hooks, the cursor, a clock and the
// debugger output. The Windows layer answers with the real ones; tests fake them.
class PlaybackPlatform {
  public:
    virtual ~PlaybackPlatform() = default;

    // Fills the ticket's capture from the service unless it holds actions.
    virtual void downloadCapture(Ticket& ticket) = 0;
    // Brings the program with that module name to the front: an Activation:: code.
    virtual int activateApplication(const String& moduleName) = 0;
    // The ids of the running processes; empty when they cannot be listed.
    virtual std::vector<uint32_t> processIds() = 0;

    // The overlay (OverlayWindow): marks the element or removes the mark for
    // none, true when the element's rectangle is not empty; the marked rectangle
    // in screen coordinates; removing its window between steps.
    virtual bool showOverlay(AutomationClient* client, const AutomationElementPtr& element) = 0;
    virtual ElementRect overlayRect() = 0;
    virtual void removeOverlayWindow() = 0;

    // The low-level mouse and keyboard hooks that feed ClickMonitor and
    // KeyMonitor; installing starts KeyMonitor afresh.
    virtual void installInputHooks() = 0;
    virtual void removeInputHooks() = 0;

    virtual void cursorPosition(int& x, int& y) = 0;
    // True while a mouse button or Return is held down.
    virtual bool inputHeld() = 0;
    // Milliseconds of a steady clock.
    virtual uint64_t now() = 0;
    virtual void debugLine(const String& text) = 0;
};
