#include "tests/win/WinTestEnvironment.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

// Reads "--name=N" into `value`.
void readNumberOption(const char* argument, const char* prefix, int& value) {
    if (std::strncmp(argument, prefix, std::strlen(prefix)) == 0)
        value = std::atoi(argument + std::strlen(prefix));
}

// Under Xvfb no window manager runs, and Wine waits two seconds for one every
// time it hides a window that it lets a window manager handle. The windows of
// this program are left to Wine alone, as they are in a Wine desktop. Wine
// reads the setting when a program starts: the first run in a prefix writes it
// and runs the tests again in a new process, whose exit code is returned.
bool runAgainWithoutWindowManager(int& exitCode) {
    const wchar_t* key = L"Software\\Wine\\AppDefaults\\lotse_wintests.exe\\X11 Driver";
    wchar_t managed[8] = {};
    DWORD size = sizeof(managed);
    if (RegGetValueW(HKEY_CURRENT_USER, key, L"Managed", RRF_RT_REG_SZ, nullptr, managed, &size) ==
            ERROR_SUCCESS &&
        managed[0] == L'N')
        return false;
    if (RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Managed", REG_SZ, L"N", 4) != ERROR_SUCCESS)
        return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    exitCode = static_cast<int>(code);
    return true;
}
} // namespace

int main(int argc, char** argv) {
    if (int exitCode = 0; runAgainWithoutWindowManager(exitCode))
        return exitCode;
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        readNumberOption(argv[i], "--service-port=", WinTestEnvironment::servicePort);
        readNumberOption(argv[i], "--newer-service-port=", WinTestEnvironment::newerServicePort);
        readNumberOption(argv[i], "--error-page-port=", WinTestEnvironment::errorPagePort);
        readNumberOption(argv[i], "--hold-dialog-ms=", WinTestEnvironment::holdDialogMs);
    }
    return RUN_ALL_TESTS();
}
