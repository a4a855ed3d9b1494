#include "app/win/SingleInstance.h"

#include "app/ExecutableName.h"
#include "base/win/ProgramPath.h"
#include "base/win/WideText.h"

#include <windows.h>

namespace {

// Held open until the process ends.
struct InstanceMutex {
    HANDLE handle = nullptr;
    ~InstanceMutex() {
        if (handle)
            CloseHandle(handle);
    }
};

InstanceMutex instanceMutex;

} // namespace

namespace SingleInstance {

bool acquire() {
    String name = executableName(programPath());

    SetLastError(0);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, wide(name));
    if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) {
        instanceMutex.handle = mutex;
        return true;
    }
    if (mutex)
        CloseHandle(mutex);
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, showRequest, 0, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return false;
}

} // namespace SingleInstance
