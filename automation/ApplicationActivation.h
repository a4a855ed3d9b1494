#pragma once

#include "automation/AutomationClient.h"
#include "base/String.h"

#include <cstdint>
#include <optional>
#include <vector>

// What bringing a program's window to the front needs of the desktop. The Windows
// layer (automation/win/DesktopWindowsApi) answers with the process and window
// functions; tests script a desktop.
class DesktopWindows {
  public:
    virtual ~DesktopWindows() = default;

    // The running processes in the system's order; empty when they cannot be listed.
    virtual std::vector<uint32_t> processIds() = 0;
    // Base name of the process's first module; nullopt when it cannot be opened.
    virtual std::optional<String> moduleBaseName(uint32_t processId) = 0;
    // The top-level windows in enumeration order (handles as numbers).
    virtual std::vector<uintptr_t> topLevelWindows() = 0;
    virtual uint32_t windowProcess(uintptr_t window) = 0;
    virtual ElementRect windowRect(uintptr_t window) = 0;
    virtual String windowTitle(uintptr_t window) = 0;
    virtual uint32_t windowStyle(uintptr_t window) = 0;
    virtual uintptr_t parentWindow(uintptr_t window) = 0;
    virtual bool isVisible(uintptr_t window) = 0;
    virtual void setForeground(uintptr_t window) = 0;
    // SwitchToThisWindow with TRUE: restores a minimised window.
    virtual void switchTo(uintptr_t window) = 0;
    virtual void sleep(int milliseconds) = 0;
};

// Results of activateApplicationWindow.
namespace Activation {
constexpr int notRunning = 0;   // no process with that module, or none listed
constexpr int noWindow = 1;     // running, but no window came to the front
constexpr int broughtFront = 2; // a window is in front (always for explorer.exe)
} // namespace Activation

// Brings the main window of a running program to the front. `moduleName` is
// compared exactly with the lower-cased module names of the processes.
int activateApplicationWindow(DesktopWindows& desktop, const String& moduleName);
