#pragma once

#include "base/String.h"

// The text of an edit field after an edit and where the caret goes. A caret of -1
// removes the selection.
struct TextEdit {
    String text;
    int caret = 0;
};

// The selection as the field reports it, made safe: positions inside the text,
// start not after end.
void normaliseSelection(const String& text, int& start, int& end);

// Backspace: removes the selection, or else the character before the caret. At the
// start of the text nothing is removed and the caret becomes -1.
TextEdit deleteBackward(const String& text, int start, int end);

// Replaces the selection by `inserted`; the caret stands after the inserted text.
TextEdit insertText(const String& text, int start, int end, const String& inserted);

// How many of `matches` suggestions are listed: at most 15 while text is typed,
// all of them for an empty text.
int suggestionCount(int matches, bool textEmpty);

// How many entries the drop-down shows without scrolling.
int visibleSuggestions(int listed);
