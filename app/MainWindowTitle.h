#pragma once

#include "base/String.h"

// The main window's caption: title and version joined by " - "; a part that
// is empty is left out together with the separator.
String mainWindowTitle(const String& title, const String& version);
