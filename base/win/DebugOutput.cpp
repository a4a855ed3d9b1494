#include "base/DebugOutput.h"

#include "base/win/WideText.h"

#include <windows.h>

void debugOutput(const String& text) {
    OutputDebugStringW(wide(text));
}
