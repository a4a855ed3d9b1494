#pragma once

#include "base/String.h"

// The solve-ticket list's order of two cell texts (the grid's comparison
// function; the column does not matter): -1 when `a` sorts before `b`, 1 when
// after, 0 when equal. Texts are walked unit by unit with one shared position;
// a digit sorts before any other unit, other units by their code (so capitals
// before small letters), and where both texts hold digits the two runs are
// compared by value, so "2" sorts before "10". A run's value is accumulated as
// v * 16 + digit in unsigned 32-bit arithmetic and carries over to the next run
// of the same comparison; a run of more than eight digits overflows.
int naturalCompare(const String& a, const String& b, int column);
