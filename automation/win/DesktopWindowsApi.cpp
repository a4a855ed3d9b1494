#include "automation/win/DesktopWindowsApi.h"

#include "automation/win/ProcessModules.h"
#include "base/win/WindowText.h"

#include <windows.h>

namespace {

constexpr int titleLimit = 260;

HWND handle(uintptr_t window) {
    return reinterpret_cast<HWND>(window);
}

} // namespace

std::vector<uint32_t> DesktopWindowsApi::processIds() {
    const std::vector<DWORD> ids = runningProcessIds();
    return std::vector<uint32_t>(ids.begin(), ids.end());
}

std::optional<String> DesktopWindowsApi::moduleBaseName(uint32_t processId) {
    return firstModuleBaseName(processId);
}

std::vector<uintptr_t> DesktopWindowsApi::topLevelWindows() {
    std::vector<uintptr_t> windows;
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            reinterpret_cast<std::vector<uintptr_t>*>(data)->push_back(
                reinterpret_cast<uintptr_t>(window));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

uint32_t DesktopWindowsApi::windowProcess(uintptr_t window) {
    DWORD process = 0;
    GetWindowThreadProcessId(handle(window), &process);
    return process;
}

ElementRect DesktopWindowsApi::windowRect(uintptr_t window) {
    RECT rect{};
    if (!GetWindowRect(handle(window), &rect))
        return ElementRect{};
    return ElementRect{rect.left, rect.top, rect.right, rect.bottom};
}

String DesktopWindowsApi::windowTitle(uintptr_t window) {
    return windowText(handle(window), titleLimit);
}

uint32_t DesktopWindowsApi::windowStyle(uintptr_t window) {
    return static_cast<uint32_t>(GetWindowLongPtrW(handle(window), GWL_STYLE));
}

uintptr_t DesktopWindowsApi::parentWindow(uintptr_t window) {
    return reinterpret_cast<uintptr_t>(GetParent(handle(window)));
}

bool DesktopWindowsApi::isVisible(uintptr_t window) {
    return IsWindowVisible(handle(window)) != FALSE;
}

void DesktopWindowsApi::setForeground(uintptr_t window) {
    SetForegroundWindow(handle(window));
}

void DesktopWindowsApi::switchTo(uintptr_t window) {
    SwitchToThisWindow(handle(window), TRUE);
}

void DesktopWindowsApi::sleep(int milliseconds) {
    Sleep(static_cast<DWORD>(milliseconds));
}

int activateApplicationWindow(const String& moduleName) {
    DesktopWindowsApi desktop;
    return activateApplicationWindow(desktop, moduleName);
}
