#pragma once

#include <windows.h>

// The system-wide low-level mouse and keyboard hooks that feed ClickMonitor and
// KeyMonitor. The system calls the procedures on the installing thread while it
// retrieves messages; each notes the event and passes it on unchanged.
//
// Installing replaces a hook already installed (the system may have dropped it
// silently after a slow call), so there is never more than one of each. A
// failed installation leaves the handle null and reports false.

// Mouse and keyboard hooks; KeyMonitor starts afresh, a pending click stays.
bool installInputHooks();
// Both hooks; KeyMonitor is emptied, a pending click stays.
void removeInputHooks();

// The mouse hook alone (the on-screen pick).
bool installMouseHook();
void removeMouseHook();

LRESULT CALLBACK mouseHookProc(int code, WPARAM message, LPARAM event);
LRESULT CALLBACK keyboardHookProc(int code, WPARAM message, LPARAM event);
