#pragma once

#include "input/InputHookUsers.h"

#include <windows.h>

// The system-wide low-level mouse and keyboard hooks that feed ClickMonitor and
// KeyMonitor, shared by their users as InputHookUsers rules. They live on a
// thread of their own that does nothing else: the system calls a low-level
// hook on the thread that installed it and holds the user's input back until
// it answers (Windows drops a hook that is slow too often), while the
// program's thread waits for the service, searches other programs' windows and
// runs dialogs. Each procedure notes the event and passes it on unchanged.

// Mouse and keyboard hooks for `user` (the recorder, a navigator);
// KeyMonitor starts afresh, a pending click stays.
bool installInputHooks(const void* user);
// The mouse hook alone (the on-screen pick).
bool installMouseHook(const void* user);
// The user is done with its hooks; those nobody else uses go.
void removeInputHooks(const void* user);
// Every hook goes (the program ends).
void removeAllInputHooks();

// The program's users of the hooks.
InputHookUsers& inputHookUsers();
