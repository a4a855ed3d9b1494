#pragma once

#include "base/String.h"

// A control's name as a person reads it: mnemonic marks, case, blanks and
// punctuation do not count ("&Speichern..." reads as "speichern").
String comparableName(const String& name);

// True when two names read alike: equal as comparableName gives them, or apart by
// a few edits (at most one per four characters of the longer one). Empty names are
// never alike: they say nothing about a control.
bool namesAlike(const String& a, const String& b);
