#pragma once

// Keeps the keys with the program's active window under Wine's X11 driver.
// There a window's focus becomes the X input focus only when the X server
// accepts the request, and it refuses one made while the window was still
// hidden (a dialog or message box that puts its focus on a control before it
// shows) or one that carries a time older than the server's last focus
// change. Such a change happens when a window of the program that held the X
// focus is hidden (a message box closed, the main window hidden): the window
// activated next asks with the time of the key that closed the other one, or
// with a time Wine derives from its clock, which lags the X server's by the
// delay of the first X event it saw. Refused, the X focus stays on a window of
// the desktop's program, which cannot hand the keys on: every key is lost.
// So after each activation the active window's focus is set again a few times
// (the last one second later), each with a newer time, until a key or a
// click arrives.
// On Windows nothing is done.
namespace FocusRefresh {

// Watches the activations and keys of the calling thread's windows, once per
// thread, under Wine only.
void watchThread();

} // namespace FocusRefresh
