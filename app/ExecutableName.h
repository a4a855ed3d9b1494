#pragma once

#include "base/String.h"

// The file name of a module path: the text after the last "/" or, when there
// is none, after the last "\". A path without either is returned whole.
String executableName(const String& modulePath);
