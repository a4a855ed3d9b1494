#pragma once

#include "automation/AutomationClient.h"

// The element under the mouse cursor; none on failure or without a client. A
// vendor overlay that would catch the hit test (NVIDIA's GeForce overlay) is
// made click-through for the duration of the call and then put back as it was.
AutomationElementPtr elementUnderCursor(AutomationClient* client);
