#include "automation/ApplicationActivation.h"

#include "base/DebugOutput.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint32_t sysMenuStyle = 0x80000;
constexpr uint32_t captionStyle = 0xC00000;
constexpr uint32_t minimizedStyle = 0x20000000;
constexpr int restoreWaitMs = 500;

constexpr int noWindowSeen = -1;
constexpr int windowSeen = 0;
constexpr int windowInFront = 1;

bool isMinimized(DesktopWindows& desktop, uintptr_t window) {
    return (desktop.windowStyle(window) & minimizedStyle) != 0;
}

// The window's verdict for process `processId`; `status` as in the enumeration:
// -1 no window of the process with a non-empty rectangle, 0 one seen, 1 in front.
void tryWindow(DesktopWindows& desktop, uintptr_t window, uint32_t processId, int& status) {
    if (desktop.windowProcess(window) != processId)
        return;
    status = windowSeen;
    if (desktop.windowRect(window).isEmpty())
        return;
    if (desktop.windowTitle(window).empty())
        return;
    const uint32_t style = desktop.windowStyle(window);
    if (!(style & sysMenuStyle) || !(style & captionStyle))
        return;
    const uintptr_t parent = desktop.parentWindow(window);
    if (parent && desktop.windowProcess(parent) == processId)
        return;
    if (desktop.isVisible(window) && !(style & minimizedStyle)) {
        desktop.setForeground(window);
        status = windowInFront;
        return;
    }
    desktop.switchTo(window);
    desktop.sleep(restoreWaitMs);
    desktop.setForeground(window);
    if (!desktop.isVisible(window) && !isMinimized(desktop, window))
        return;
    status = windowInFront;
}

} // namespace

int activateApplicationWindow(DesktopWindows& desktop, const String& moduleName) {
    if (moduleName == String(u"explorer.exe"))
        return Activation::broughtFront;
    const std::vector<uint32_t> processes = desktop.processIds();
    if (processes.empty())
        return Activation::notRunning;
    // A process that owns no top-level window is passed over below in any case:
    // it is not opened and asked for its name (under Wine trips through the
    // server, tens of milliseconds for all of them on a busy machine).
    std::vector<std::pair<uintptr_t, uint32_t>> windows; // window, its process
    for (uintptr_t window : desktop.topLevelWindows())
        windows.emplace_back(window, desktop.windowProcess(window));
    std::vector<uint32_t> owners;
    for (const auto& [window, owner] : windows)
        owners.push_back(owner);
    std::sort(owners.begin(), owners.end());

    for (uint32_t processId : processes) {
        if (!std::binary_search(owners.begin(), owners.end(), processId))
            continue;
        std::optional<String> baseName = desktop.moduleBaseName(processId);
        if (!baseName)
            continue;
        const String name = baseName->lower();
        debugOutput(name + u"\n");
        if (!(name == moduleName))
            continue;

        int status = noWindowSeen;
        for (const auto& [window, owner] : windows) {
            if (owner != processId)
                continue;
            tryWindow(desktop, window, processId, status);
            if (status == windowInFront)
                break;
        }
        if (status == noWindowSeen)
            continue;
        return status == windowInFront ? Activation::broughtFront : Activation::noWindow;
    }
    return Activation::notRunning;
}
