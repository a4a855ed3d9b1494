#pragma once

#include "automation/AutomationClient.h"

#include <memory>

// The program's automation client: UI Automation where the system offers it,
// else the client over native windows. COM must be initialised on the thread.
std::unique_ptr<AutomationClient> createAutomationClient();
