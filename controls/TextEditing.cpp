#include "controls/TextEditing.h"

#include <algorithm>

void normaliseSelection(const String& text, int& start, int& end) {
    start = std::clamp(start, 0, text.length());
    end = std::clamp(end, 0, text.length());
    if (start > end)
        std::swap(start, end);
}

TextEdit deleteBackward(const String& text, int start, int end) {
    normaliseSelection(text, start, end);
    TextEdit edit;
    if (start != end) {
        edit.text = text.substr(0, start) + text.substr(end);
        edit.caret = start;
    } else if (start > 0) {
        edit.text = text.substr(0, start - 1) + text.substr(start);
        edit.caret = start - 1;
    } else {
        edit.text = text;
        edit.caret = -1;
    }
    return edit;
}

TextEdit insertText(const String& text, int start, int end, const String& inserted) {
    normaliseSelection(text, start, end);
    TextEdit edit;
    edit.text = text.substr(0, start) + inserted + text.substr(end);
    edit.caret = start + inserted.length();
    return edit;
}

int suggestionCount(int matches, bool textEmpty) {
    if (matches <= 0)
        return 0;
    if (matches >= 16 && !textEmpty)
        return 15;
    return matches;
}

int visibleSuggestions(int listed) {
    return std::min(listed, 15);
}
