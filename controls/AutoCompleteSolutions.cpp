#include "controls/AutoCompleteSolutions.h"

void AutoCompleteSolutions::search(const String& text) {
    tickets.search(results, text, softwareFilter, localeFilter);
}

String AutoCompleteSolutions::text(int index) {
    if (index < 0 || index >= count())
        return String();
    return results[index].question;
}

const void* AutoCompleteSolutions::item(int index) {
    if (index < 0 || index >= count())
        return nullptr;
    return &results[index];
}

void AutoCompleteSolutions::clear() {
    results.clear();
    AutoComplete::clear();
}
