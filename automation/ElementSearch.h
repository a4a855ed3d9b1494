#pragma once

#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"

#include <optional>

// The six match modes, strictest first; a mode applies only when the descriptor
// has what it compares.
enum class MatchMode { AidAndName, AidAndClass, ClassAndName, Aid, Name, Class };
constexpr int matchModeCount = 6;

// The text a descriptor's matchNote receives for a mode ("AID and Name", ...).
String matchModeText(int mode);

// The condition of `mode` (0 to 5) for `descriptor`; none when the mode does not
// apply. Automation id comes before name or class, class before name.
std::optional<ElementCondition> matchCondition(const ElementDescriptor& descriptor, int mode);

// Finds the live element a trace describes: level by level from the desktop root
// down to `stopLevel` (0: the target; 1: its parent, leaving the target to the
// fallback), then, without a visible target, a depth-first walk under the parent
// of the deepest match for the target's name and class. Writes found and
// matchNote of every descriptor. None when nothing was found.
AutomationElementPtr findElement(AutomationClient* client, ElementTrace& trace, int stopLevel);
