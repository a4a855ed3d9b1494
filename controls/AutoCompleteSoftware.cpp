#include "controls/AutoCompleteSoftware.h"

#include <cstddef>

void AutoCompleteSoftware::search(const String& text) {
    results = software.search(text, false);
}

String AutoCompleteSoftware::text(int index) {
    if (index < 0 || index >= count())
        return String();
    return displayText(results[static_cast<std::size_t>(index)]);
}

const void* AutoCompleteSoftware::item(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    return &results[static_cast<std::size_t>(index)];
}

void AutoCompleteSoftware::clear() {
    results.clear();
    AutoComplete::clear();
}
