#pragma once

#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"

// Describing live elements through the automation client. A null client or
// element gives none, the empty text or leaves the descriptor as it was.

// Fills name, class name, automation id and the module fields from `element`. The
// module fields keep their values when the element's process cannot be read.
void describeElement(AutomationClient* client, ElementDescriptor& descriptor,
                     const AutomationElementPtr& element);

// The element and its control-view ancestors up to the desktop root. One working
// descriptor is filled level by level without being cleared, so a level whose
// process cannot be read carries the module of the level below. A parent that
// cannot be read ends the trace early. Each distinct process is opened once.
ElementTrace buildTrace(AutomationClient* client, const AutomationElementPtr& element);

// The control-view parent; none for the desktop root and on failure.
AutomationElementPtr parentElement(AutomationClient* client, const AutomationElementPtr& element);

// The runtime id in lower-case hexadecimal, entries joined without separator;
// empty for none and when it cannot be read.
String runtimeIdText(AutomationClient* client, const AutomationElementPtr& element);

// True when the element or one of its ancestors has that native window handle.
bool isElementInWindow(AutomationClient* client, const AutomationElementPtr& element,
                       uintptr_t window);
