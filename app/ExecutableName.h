#pragma once

#include "base/String.h"

// The file name of a module path: the text after its last "/" or "\". A path
// without either is returned whole.
String executableName(const String& modulePath);
