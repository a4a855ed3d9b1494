#pragma once

#include "base/String.h"

#include <optional>
#include <vector>

// One element as recorded: what the automation client reports of it and of its
// process, and what the last search made of this level.
struct ElementDescriptor {
    // Absent (nullopt) when the platform reported no name at all; only the element
    // search tells that apart from a present, empty name.
    std::optional<String> name = String();
    String className;
    String automationId;
    String moduleName; // executable file name, lower case
    String modulePath; // full path of the executable; this computer only, never sent
    String matchNote;  // written by the search: the mode that matched, or the fallback
    bool found = false;
};

// The identification of one target element: index 0 is the element, each next
// entry the parent of the one before, the last the desktop root. A text-input
// action has no elements and its typed text in enteredText.
struct ElementTrace {
    std::vector<ElementDescriptor> elements;
    String enteredText;

    bool empty() const { return elements.empty() && enteredText.empty(); }
};
