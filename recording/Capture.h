#pragma once

#include "base/String.h"

#include <cstdint>
#include <vector>

// The number of an action kind as the service stores it: 2 left click, 3 left
// double click, 4 middle click, 5 right click, 6 Enter key, 7 text input.
using ActionKind = int32_t;

// One recorded action. The element trace it is performed on joins this record
// together with the element-identification code.
struct CaptureAction {
    ActionKind kind = 0;
    String keyText; // text typed before an Enter key recorded here; never uploaded
};

// A recorded solution: its actions in the order they were performed and are
// played back.
struct Capture {
    std::vector<CaptureAction> actions;
};
