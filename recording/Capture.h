#pragma once

#include "automation/ElementTrace.h"
#include "base/String.h"

#include <cstdint>
#include <vector>

// The number of an action kind as the service stores it ("act", "id_action").
using ActionKind = int32_t;

namespace Action {
// Not an action: the input monitors' "nothing pending".
constexpr ActionKind none = 1;
constexpr ActionKind leftClick = 2;
constexpr ActionKind leftDoubleClick = 3;
constexpr ActionKind middleClick = 4;
constexpr ActionKind rightClick = 5;
constexpr ActionKind enterKey = 6;
constexpr ActionKind textInput = 7;
} // namespace Action

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
