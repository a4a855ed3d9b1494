#pragma once

#include "automation/ElementTrace.h"

// The label of a trace in lists and instructions: the entered text of a trace
// without elements, else the target's name, class name or automation id, the
// first that is not empty.
String traceLabel(const ElementTrace& trace);
// The same without the automation id (the recorder's label).
String traceShortLabel(const ElementTrace& trace);
// One diagnostic line: "Name(..) Class(..) AID(..)  -> " with a tick or a cross
// and the match note in parentheses.
String elementDescriptorText(const ElementDescriptor& descriptor);
