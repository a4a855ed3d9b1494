#pragma once

#include "automation/ElementTrace.h"
#include "base/Protocol.h"
#include "base/String.h"

#include <vector>

// The German label of a kind ("Linker Mausklick", ...); empty for any other number.
String actionLabel(ActionKind kind);

// One recorded action. Mouse actions carry the trace of the element under the
// cursor; a text input carries its text as the trace's enteredText and no
// elements; an Enter key carries an empty trace.
struct CaptureAction {
    ActionKind kind = 0;
    // Text typed before an Enter key recorded here; kept on this computer only.
    String keyText;
    ElementTrace trace;
};

// A recorded solution: its actions in the order they were performed and are
// played back.
struct Capture {
    std::vector<CaptureAction> actions;
};
