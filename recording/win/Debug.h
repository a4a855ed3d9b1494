#pragma once

#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"
#include "dialogs/win/Template.h"

// The debug window (IDD_DEBUG): how the last search went, level by level, and
// the rectangle of the element it found. The recorder and the navigator each
// own one, point it at their trace and found element, open it modally without
// owner and call refresh after every search.
struct Debug : Template {
    AutomationClient* client = nullptr;
    const ElementTrace* trace = nullptr;           // the owner's, or none
    const AutomationElementPtr* element = nullptr; // the owner's found element, or none

    // Puts the text for the current trace and element into the window, if open.
    void refresh();
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
