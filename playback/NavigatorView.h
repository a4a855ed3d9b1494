#pragma once

#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"
#include "base/String.h"
#include "service/Ticket.h"

// What a playback needs of the navigator window and of the windows beside it.
// The dialog (playback/win/SolutionNavigator) answers with Win32; tests record.
class NavigatorView {
  public:
    virtual ~NavigatorView() = default;

    // True while the navigator window exists.
    virtual bool windowExists() = 0;
    // Creates the window modeless, without owner, and shows it; its 10 ms tick
    // runs from then on. False when it could not be created.
    virtual bool createWindow() = 0;
    virtual void bringToFront() = 0;
    // Destroys the window; its tick ends with it.
    virtual void destroyWindow() = 0;
    // Stops the 10 ms tick.
    virtual void stopTick() = 0;
    // The 1000 ms application check: arming again restarts its period.
    virtual void armApplicationTimer() = 0;
    virtual void stopApplicationTimer() = 0;

    // The instruction under "Bitte führe folgende Aktion im markierten Bereich aus...".
    virtual void setInstruction(const String& text) = 0;
    // Points the debug window at the playback's trace and element (either may be
    // null) and refreshes it when it is open.
    virtual void refreshDebug(const ElementTrace* trace, const AutomationElementPtr* element) = 0;
    // A line for the debugger output.
    virtual void debugLine(const String& text) = 0;

    virtual void showMainWindow() = 0;
    // An error box without owner, titled "Fehler".
    virtual void showError(const String& text) = 0;
    // Asks whether the solution helped (the element may be null).
    virtual void openFeedback(const Ticket& ticket, const AutomationElementPtr& element) = 0;
};
