#include "app/win/ScreenPickCalls.h"

void ScreenPickCalls::attachOverlay(HINSTANCE, HWND) {}

void ScreenPickCalls::shutdownOverlay() {}
