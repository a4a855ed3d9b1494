#pragma once

#include "base/String.h"

#include <vector>

// The words of a search query: the pieces between spaces, in their order. Empty
// pieces (leading, trailing or repeated spaces) are not words, so a query that is
// empty or holds only spaces has none. Only the space splits; tabs and other
// blanks belong to the words.
std::vector<String> splitWords(const String& query);

// True when every word occurs somewhere in `text` (exact comparison of code units);
// true for no words at all.
bool containsAllWords(const String& text, const std::vector<String>& words);
