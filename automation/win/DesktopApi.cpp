#include "automation/win/DesktopApi.h"

#include "automation/win/DesktopWindowsApi.h"
#include "automation/win/ElementUnderCursor.h"
#include "automation/win/OverlayWindow.h"
#include "automation/win/ProcessModules.h"
#include "input/win/InputHooks.h"

#include <windows.h>

AutomationElementPtr DesktopApi::elementUnderCursor(AutomationClient* client) {
    return ::elementUnderCursor(client);
}

bool DesktopApi::cursorPosition(int& x, int& y) {
    POINT cursor{};
    if (!GetCursorPos(&cursor))
        return false;
    x = cursor.x;
    y = cursor.y;
    return true;
}

bool DesktopApi::inputHeld() {
    for (int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_RETURN})
        if (GetAsyncKeyState(key) & 0x8000)
            return true;
    return false;
}

bool DesktopApi::showOverlay(AutomationClient* client, const AutomationElementPtr& element) {
    return OverlayWindow::instance().show(client, element);
}

ElementRect DesktopApi::overlayRect() {
    return OverlayWindow::instance().rect();
}

void DesktopApi::removeOverlayWindow() {
    OverlayWindow::instance().removeWindow();
}

void DesktopApi::installInputHooks(const void* user, bool keyboard) {
    if (keyboard)
        ::installInputHooks(user);
    else
        ::installMouseHook(user);
}

void DesktopApi::removeInputHooks(const void* user) {
    ::removeInputHooks(user);
}

int DesktopApi::activateApplication(const String& moduleName) {
    return activateApplicationWindow(moduleName);
}

std::vector<uint32_t> DesktopApi::processIds() {
    const std::vector<DWORD> ids = runningProcessIds();
    return std::vector<uint32_t>(ids.begin(), ids.end());
}

uint64_t DesktopApi::now() {
    return GetTickCount64();
}
