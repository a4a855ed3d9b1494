#pragma once

#include "automation/AutomationClient.h"
#include "automation/ElementTrace.h"

// What the debug window shows: for each level of the trace searched last, its
// descriptor line with the search's outcome, then the bounding rectangle of the
// element found as "rect: left right top bottom" (in that order, no line feed
// after it). No trace and no element give the empty text; an element whose
// rectangle cannot be read shows zeros.
String debugText(AutomationClient* client, const ElementTrace* trace,
                 const AutomationElementPtr& element);
