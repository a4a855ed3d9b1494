#include "playback/win/PlaybackPlatformApi.h"

#include "automation/win/DesktopWindowsApi.h"
#include "automation/win/OverlayWindow.h"
#include "automation/win/ProcessModules.h"
#include "base/DebugOutput.h"
#include "playback/CaptureDownload.h"
#include "input/win/InputHooks.h"

#include <windows.h>

std::vector<uint32_t> PlaybackPlatformApi::processIds() {
    const std::vector<DWORD> ids = runningProcessIds();
    return std::vector<uint32_t>(ids.begin(), ids.end());
}

void PlaybackPlatformApi::downloadCapture(Ticket& ticket) {
    ::downloadCapture(ticket);
}

int PlaybackPlatformApi::activateApplication(const String& moduleName) {
    return activateApplicationWindow(moduleName);
}

bool PlaybackPlatformApi::showOverlay(AutomationClient* client,
                                      const AutomationElementPtr& element) {
    return OverlayWindow::instance().show(client, element);
}

ElementRect PlaybackPlatformApi::overlayRect() {
    return OverlayWindow::instance().rect();
}

void PlaybackPlatformApi::removeOverlayWindow() {
    OverlayWindow::instance().removeWindow();
}

void PlaybackPlatformApi::installInputHooks() {
    ::installInputHooks(this);
}

void PlaybackPlatformApi::removeInputHooks() {
    ::removeInputHooks(this);
}

void PlaybackPlatformApi::cursorPosition(int& x, int& y) {
    POINT point{};
    GetCursorPos(&point);
    x = point.x;
    y = point.y;
}

bool PlaybackPlatformApi::inputHeld() {
    for (int key : {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON, VK_RETURN})
        if (GetAsyncKeyState(key) & 0x8000)
            return true;
    return false;
}

uint64_t PlaybackPlatformApi::now() {
    return GetTickCount64();
}

void PlaybackPlatformApi::debugLine(const String& text) {
    debugOutput(text);
}
