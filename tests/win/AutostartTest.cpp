#include "app/win/Autostart.h"

#include "base/win/WideText.h"
#include "tests/StringPrinter.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

String readRunValue(const String& name) {
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                    &key) != ERROR_SUCCESS)
        return String();
    wchar_t data[1024] = {};
    DWORD size = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    LONG rc =
        RegQueryValueExW(key, wide(name), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ)
        return String();
    int length = static_cast<int>(size / 2);
    while (length > 0 && data[length - 1] == 0)
        --length;
    return fromWide(data, length);
}

String startupLink(const String& name) {
    wchar_t folder[MAX_PATH + 1] = {};
    EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE));
    return fromWide(folder) + String(u"\\") + name + String(u".lnk");
}

bool fileExists(const String& path) {
    return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

TEST(Autostart, EnableWritesQuotedPathAndShortcutDisableRemovesBoth) {
    const String name(u"LotseAutostartTest");
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);

    Autostart::setRunValue(name, true);
    Autostart::setShortcut(name, true);
    EXPECT_TRUE(Autostart::isEnabled(name));
    EXPECT_EQ(readRunValue(name), String(u"\"") + fromWide(self) + String(u"\""));
    EXPECT_TRUE(fileExists(startupLink(name)));

    Autostart::setRunValue(name, false);
    Autostart::setShortcut(name, false);
    EXPECT_FALSE(Autostart::isEnabled(name));
    EXPECT_TRUE(readRunValue(name).empty());
    EXPECT_FALSE(fileExists(startupLink(name)));

    // Removing what is not there is not an error.
    Autostart::setRunValue(name, false);
    Autostart::setShortcut(name, false);
    EXPECT_FALSE(Autostart::isEnabled(name));
}
