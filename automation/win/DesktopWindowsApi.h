#pragma once

#include "automation/ApplicationActivation.h"

// The desktop of this Windows session for bringing a program to the front: the
// process status API and the window functions.
class DesktopWindowsApi : public DesktopWindows {
  public:
    std::vector<uint32_t> processIds() override;
    std::optional<String> moduleBaseName(uint32_t processId) override;
    std::vector<uintptr_t> topLevelWindows() override;
    uint32_t windowProcess(uintptr_t window) override;
    ElementRect windowRect(uintptr_t window) override;
    // At most 260 characters.
    String windowTitle(uintptr_t window) override;
    uint32_t windowStyle(uintptr_t window) override;
    uintptr_t parentWindow(uintptr_t window) override;
    bool isVisible(uintptr_t window) override;
    void setForeground(uintptr_t window) override;
    void switchTo(uintptr_t window) override;
    void sleep(int milliseconds) override;
};

// Brings the main window of the running program with that lower-case module
// name to the front of this desktop: Activation::notRunning, noWindow or
// broughtFront.
int activateApplicationWindow(const String& moduleName);
