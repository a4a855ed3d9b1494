#pragma once

#include <windows.h>

// Keeps the keys with the program's active window under Wine's X11 driver.
// There a window's focus becomes the X input focus only when the X server
// accepts the request, and it refuses one that carries a time older than its
// last focus change. When a window of the program that held the X focus is
// hidden (a message box or a dialog closed, the main window hidden before a
// dialog), the X server moves the focus to the desktop at that moment; the
// window activated next asks for the focus with the time of the key that
// closed the other one, is refused, and every key after goes to the desktop.
// So a short while after a window is activated its focus is set once more,
// with the time of a message newer than the change. On Windows nothing is done.
namespace FocusRefresh {

// The timer, on the dialog window, that sets the focus again.
constexpr UINT_PTR timerId = 0x7F01;
constexpr UINT delayMs = 50;

// On WM_ACTIVATE of a dialog: after an activation (not a deactivation)
// starts the timer, under Wine only.
void activated(HWND dialog, WPARAM wParam);

// On the timer: stops it and, while the dialog is still active, gives its
// focused control (the dialog itself when none has it) the focus again.
void refresh(HWND dialog);

} // namespace FocusRefresh
