#include "automation/win/AutomationClients.h"

#include "automation/win/UiaAutomationClient.h"
#include "automation/win/WindowTreeClient.h"

std::unique_ptr<AutomationClient> createAutomationClient() {
    if (std::unique_ptr<AutomationClient> uia = createUiAutomationClient())
        return uia;
    // No UI Automation (Wine, stripped systems): standard controls are still
    // windows, and the window tree describes and finds them.
    return std::make_unique<WindowTreeClient>();
}
