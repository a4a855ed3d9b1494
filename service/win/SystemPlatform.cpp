#include "service/SystemPlatform.h"

#include "base/win/WideText.h"

#include <windows.h>

#include <vector>

namespace SystemPlatform {

String hardwareProfileGuid() {
    HW_PROFILE_INFOW info{};
    if (!GetCurrentHwProfileW(&info))
        return String();
    info.szHwProfileGuid[HW_PROFILE_GUIDLEN - 1] = 0;
    return fromWide(info.szHwProfileGuid);
}

// Read as UTF-16 directly, so a name outside ASCII arrives as the user spells
// it whatever the ANSI code page; ASCII names are the same either way.
String environmentUsername() {
    DWORD size = GetEnvironmentVariableW(L"USERNAME", nullptr, 0);
    if (size == 0)
        return String();
    std::vector<wchar_t> buffer(size + 1, 0);
    DWORD got = GetEnvironmentVariableW(L"USERNAME", buffer.data(), size + 1);
    if (got == 0 || got > size)
        return String();
    return fromWide(buffer.data(), static_cast<int>(got));
}

void readOsVersion(OsVersionRecord& record) {
    record = OsVersionRecord();
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    auto* plain = reinterpret_cast<OSVERSIONINFOW*>(&version);
    if (GetVersionExW(plain) && version.dwPlatformId == VER_PLATFORM_WIN32_NT &&
        version.dwMajorVersion >= 5) {
        version = OSVERSIONINFOEXW{};
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
        GetVersionExW(plain);
    }
    record.platformId = static_cast<int>(version.dwPlatformId);
    record.major = static_cast<int>(version.dwMajorVersion);
    record.minor = static_cast<int>(version.dwMinorVersion);
    record.buildNumber = version.dwBuildNumber;
    record.servicePackMajor = version.wServicePackMajor;
    record.servicePackMinor = version.wServicePackMinor;

    // From Windows 8 on, programs without a compatibility manifest are told
    // build 9200; the registry knows the real one.
    if (record.buildNumber < 9200)
        return;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                      KEY_READ, &key) != ERROR_SUCCESS)
        return;
    wchar_t text[131] = {}; // 260 bytes of text plus a terminator the value may lack
    DWORD bytes = 260;
    DWORD kind = 0;
    if (RegQueryValueExW(key, L"CurrentBuild", nullptr, &kind, reinterpret_cast<BYTE*>(text),
                         &bytes) == ERROR_SUCCESS &&
        (kind == REG_SZ || kind == REG_EXPAND_SZ)) {
        text[130] = 0;
        record.buildNumber = static_cast<unsigned>(fromWide(text).toInt());
    }
    RegCloseKey(key);
}

bool productType(const OsVersionRecord& record, unsigned& type) {
    using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
    HMODULE kernel = GetModuleHandleW(L"KERNEL32.DLL");
    if (!kernel)
        return false;
    auto function = reinterpret_cast<GetProductInfoFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetProductInfo")));
    if (!function)
        return false;
    DWORD result = 0;
    if (!function(static_cast<DWORD>(record.major), static_cast<DWORD>(record.minor),
                  static_cast<DWORD>(record.servicePackMajor),
                  static_cast<DWORD>(record.servicePackMinor), &result))
        result = 0;
    type = result;
    return true;
}

int systemDefaultLcid() {
    return static_cast<int>(GetSystemDefaultLCID());
}

} // namespace SystemPlatform
