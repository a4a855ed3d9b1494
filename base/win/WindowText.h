#pragma once

#include "base/String.h"

#include <windows.h>

// The text of a window, at most `limit` characters of it.
String windowText(HWND window, int limit);
// The text of a dialog's control.
String dialogItemText(HWND dialog, int id, int limit);
