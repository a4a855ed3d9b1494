#pragma once

#include "dialogs/win/DialogTools.h"

#include <cstdint>
#include <functional>
#include <windows.h>

// Base of every dialog class: binds one object to one dialog window built
// from a dialog-template resource of the program's own module, creates it
// modal or modeless and routes its messages to dialogProc. The object outlives
// its window; window is null while no window exists.
//
// Adding a dialog: derive from Template, override dialogProc (call
// centerWindow on WM_INITDIALOG; return 0 when closedOnRequest), keep the
// object for the life of the program and open it with create(resource id,
// parent, modeless, show).
struct Template : DialogTools {
    HWND window = nullptr;
    int32_t modeless = 0;
    // Run at the dialog's first activation after create, and by close before
    // the window goes. The main window hides behind a dialog with them: the
    // activation then passes straight between the two windows, never through
    // a window of another program that (under Wine) could keep the keys.
    std::function<void()> onActive;
    std::function<void(INT_PTR result)> onClosing;
    int32_t activeSinceCreate = 0;

    Template() = default;
    Template(const Template&) = delete;
    Template& operator=(const Template&) = delete;
    // A modeless window still open is destroyed; no message reaches the
    // object afterwards.
    virtual ~Template();

    // A live window is only brought to the front (result 0). Otherwise the
    // dialog is created: modeless (shown and brought to the front when `show`
    // is set; result 0) or modal (returns the result given to close, -1 when
    // the dialog could not be created).
    virtual INT_PTR create(int resourceId, HWND parent, bool modeless, bool show);
    // Ends a modal dialog with `result`, or destroys a modeless window.
    virtual void close(INT_PTR result);
    virtual INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT defaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // Cancel (2), Close (8) and WM_QUIT reaching the procedure: every dialog but
    // the main window closes with result 0 on them.
    static bool closeRequested(UINT message, WPARAM wParam) {
        return message == WM_QUIT ||
               (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDCLOSE));
    }
    // close(0) when closeRequested; true then, and the procedure returns 0.
    bool closedOnRequest(UINT message, WPARAM wParam) {
        if (!closeRequested(message, wParam))
            return false;
        close(0);
        return true;
    }

    // The one dialog procedure given to the system; the creation parameter
    // is the object.
    static INT_PTR CALLBACK staticDialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
};
