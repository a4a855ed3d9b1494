#include "app/win/ScreenPickCalls.h"

AutomationElementPtr ScreenPickCalls::elementUnderCursor(AutomationClient*) {
    return nullptr;
}

void ScreenPickCalls::installMouseHook() {}

void ScreenPickCalls::removeMouseHook() {}

void ScreenPickCalls::frame(AutomationClient*, const AutomationElementPtr&) {}

void ScreenPickCalls::attachOverlay(HINSTANCE, HWND) {}

void ScreenPickCalls::shutdownOverlay() {}
