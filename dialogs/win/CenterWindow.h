#pragma once

#include <windows.h>

// Moves a window to the middle of the primary screen, keeping its size.
void centerWindow(HWND window);
