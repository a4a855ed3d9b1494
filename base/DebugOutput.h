#pragma once

#include "base/String.h"

// Short diagnostic texts for a debugger: OutputDebugStringW on Windows,
// standard error natively. There is no log file.
void debugOutput(const String& text);
