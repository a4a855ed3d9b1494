#include "base/win/ProgramPath.h"

#include "base/win/WideText.h"

#include <windows.h>

String programPath() {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fromWide(path, static_cast<int>(n));
}
