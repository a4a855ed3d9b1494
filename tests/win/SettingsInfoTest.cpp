#include "app/win/AppKey.h"
#include "app/win/Autostart.h"
#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/SystemInfo.h"
#include "tests/StringPrinter.h"
#include "tests/win/DialogSteps.h"
#include "tests/win/WindowTestSupport.h"

#include "LotseConfig.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

using namespace WindowTestSupport;
using namespace DialogStepsSupport;

namespace {

const wchar_t* const runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

String runValue(const String& name) {
    HKEY key = nullptr;
    if (RegOpenKeyW(HKEY_CURRENT_USER, runKey, &key) != ERROR_SUCCESS)
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
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE);
    return fromWide(folder) + String(u"\\") + name + String(u".lnk");
}

bool fileExists(const String& path) {
    return GetFileAttributesW(wide(path)) != INVALID_FILE_ATTRIBUTES;
}

String quotedProgramPath() {
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return String(u"\"") + fromWide(self) + String(u"\"");
}

bool appKeyExists() {
    HKEY key = openAppKey(u"Lotse", false);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

// The tests share the Wine prefix with the program's own runs: the product's
// autostart value, shortcut and application key are put back as they were.
class SavedProductState {
  public:
    SavedProductState() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        savedLink = fromWide(temp) + String(u"lotse-test-saved.lnk");
        hadRunValue = Autostart::isEnabled(name);
        runData = runValue(name);
        hadLink = fileExists(startupLink(name));
        if (hadLink)
            CopyFileW(wide(startupLink(name)), wide(savedLink), FALSE);
        hadAppKey = appKeyExists();
    }
    ~SavedProductState() {
        HKEY key = nullptr;
        if (RegOpenKeyW(HKEY_CURRENT_USER, runKey, &key) == ERROR_SUCCESS) {
            if (hadRunValue)
                RegSetValueExW(key, wide(name), 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(runData.data()),
                               static_cast<DWORD>(runData.length() * 2));
            else
                RegDeleteValueW(key, wide(name));
            RegCloseKey(key);
        }
        if (hadLink) {
            CopyFileW(wide(savedLink), wide(startupLink(name)), FALSE);
            DeleteFileW(wide(savedLink));
        } else {
            DeleteFileW(wide(startupLink(name)));
        }
        if (hadAppKey) {
            HKEY created = openAppKey(name, true);
            if (created)
                RegCloseKey(created);
        } else {
            RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Lotse");
        }
    }

  private:
    const String name{u"Lotse"};
    String savedLink;
    bool hadRunValue = false;
    String runData;
    bool hadLink = false;
    bool hadAppKey = false;
};

bool autostartRegistered() {
    return runValue(u"Lotse") == quotedProgramPath() && fileExists(startupLink(u"Lotse"));
}

bool autostartAbsent() {
    return !Autostart::isEnabled(u"Lotse") && !fileExists(startupLink(u"Lotse"));
}

const String settingsTitle(u"Einstellungen");
const String infoTitle(u"Info");

bool checkBoxTicked(HWND dialog) {
    return SendDlgItemMessageW(dialog, IDC_SETTINGS_AUTOSTART, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void clickCheckBox(HWND dialog) {
    SendMessageW(GetDlgItem(dialog, IDC_SETTINGS_AUTOSTART), BM_CLICK, 0, 0);
}

} // namespace

TEST(SettingsDialog, CheckBoxSwitchesAutostartAtOnceAndShowsTheRunValue) {
    SavedProductState saved;
    Lotse& lotse = Lotse::instance();
    lotse.setAutostart(false);

    bool tickedAtOpen = true;
    bool afterTick = false;
    bool boxAfterTick = false;
    bool afterUntick = false;
    bool afterSecondTick = false;
    DialogSteps steps({{[&] { return lotse.settings.window != nullptr; },
                        [&] {
                            HWND dialog = lotse.settings.window;
                            tickedAtOpen = checkBoxTicked(dialog);
                            clickCheckBox(dialog);
                            afterTick = autostartRegistered();
                            boxAfterTick = checkBoxTicked(dialog);
                            clickCheckBox(dialog);
                            afterUntick = autostartAbsent();
                            clickCheckBox(dialog);
                            afterSecondTick = autostartRegistered();
                            // The close button keeps what the box did.
                            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                        }}},
                      [] { closeThreadWindows(settingsTitle); });
    EXPECT_EQ(lotse.settings.create(IDD_SETTINGS, nullptr, false, true), 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_FALSE(tickedAtOpen);
    EXPECT_TRUE(afterTick);
    EXPECT_TRUE(boxAfterTick);
    EXPECT_TRUE(afterUntick);
    EXPECT_TRUE(afterSecondTick);
    EXPECT_TRUE(autostartRegistered());

    // Opened again, the box shows the registry; "OK" only closes.
    bool tickedAtReopen = false;
    DialogSteps again({{[&] { return lotse.settings.window != nullptr; },
                        [&] {
                            tickedAtReopen = checkBoxTicked(lotse.settings.window);
                            PostMessageW(lotse.settings.window, WM_COMMAND, IDOK, 0);
                        }}},
                      [] { closeThreadWindows(settingsTitle); });
    lotse.settings.create(IDD_SETTINGS, nullptr, false, true);
    EXPECT_TRUE(again.finished());
    EXPECT_TRUE(tickedAtReopen);
    EXPECT_TRUE(autostartRegistered());
}

TEST(FirstRun, MissingAppKeyIsCreatedAndRegistersAutostartOnlyThen) {
    SavedProductState saved;
    Lotse& lotse = Lotse::instance();
    HKEY keptKey = lotse.appKey;
    const int keptFirstRun = lotse.firstRun;

    // The very first start: no application key.
    lotse.setAutostart(false);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Lotse");
    ASSERT_FALSE(appKeyExists());
    lotse.appKey = nullptr;
    lotse.firstRun = 0;
    lotse.registerFirstRun();
    EXPECT_NE(lotse.appKey, nullptr);
    EXPECT_EQ(lotse.firstRun, 1);
    EXPECT_TRUE(appKeyExists());
    EXPECT_TRUE(autostartRegistered());
    if (lotse.appKey)
        RegCloseKey(lotse.appKey);

    // A later start: the key exists, so autostart stays as the user set it.
    lotse.setAutostart(false);
    lotse.appKey = openAppKey(u"Lotse", false);
    ASSERT_NE(lotse.appKey, nullptr);
    lotse.firstRun = 0;
    lotse.registerFirstRun();
    EXPECT_EQ(lotse.firstRun, 0);
    EXPECT_TRUE(autostartAbsent());
    RegCloseKey(lotse.appKey);

    lotse.appKey = keptKey;
    lotse.firstRun = keptFirstRun;
}

TEST(InfoDialog, ShowsVersionDateMakerAndSystemAndComesToFrontWhenOpenedAgain) {
    Lotse& lotse = Lotse::instance();
    OsVersionRecord& os = SystemInfo::osVersion();
    OSVERSIONINFOW reported{};
    reported.dwOSVersionInfoSize = sizeof(reported);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&reported));
#pragma GCC diagnostic pop

    // Another window of ours in front when the second request comes.
    HWND other = CreateWindowExW(0, L"STATIC", L"Anderes Fenster", WS_POPUP | WS_VISIBLE, 0, 0, 100,
                                 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);

    struct Seen {
        String version, date, name, maker, web, platform, major, minor, build, osName;
        String linkTarget;
        bool fixedNameShown = false;
        HWND first = nullptr;
        HWND afterSecondRequest = nullptr;
        HWND foreground = nullptr;
        int windows = 0;
        INT_PTR secondResult = -2;
        bool openAfterOk = false;
    } seen;
    DialogSteps steps({{[&] { return lotse.info.window != nullptr; },
                        [&] {
                            HWND dialog = lotse.info.window;
                            seen.first = dialog;
                            seen.version = itemText(dialog, IDC_INFO_VERSION);
                            seen.date = itemText(dialog, IDC_INFO_DATE);
                            seen.maker = itemText(dialog, IDC_INFO_MAKER);
                            seen.web = itemText(dialog, IDC_INFO_WEB);
                            seen.platform = itemText(dialog, IDC_INFO_PLATFORM);
                            seen.major = itemText(dialog, IDC_INFO_MAJOR);
                            seen.minor = itemText(dialog, IDC_INFO_MINOR);
                            seen.build = itemText(dialog, IDC_INFO_BUILD);
                            seen.osName = itemText(dialog, IDC_INFO_OS_NAME);
                            seen.linkTarget = lotse.info.link.linkTarget();
                            for (HWND child = GetWindow(dialog, GW_CHILD); child;
                                 child = GetWindow(child, GW_HWNDNEXT))
                                if (windowText(child) == String(u"lotse.exe"))
                                    seen.fixedNameShown = true;
                            SetForegroundWindow(other);
                            // The tray menu asks again while the dialog is open.
                            seen.secondResult = lotse.info.create(IDD_INFO, nullptr, false, true);
                            seen.afterSecondRequest = lotse.info.window;
                            seen.foreground = GetForegroundWindow();
                            seen.windows = threadWindowsTitled(infoTitle);
                            // Enter gives IDOK, which the dialog has no button for.
                            PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                        }},
                       {nullptr,
                        [&] {
                            seen.openAfterOk =
                                lotse.info.window == seen.first && IsWindow(seen.first);
                            PostMessageW(seen.first, WM_COMMAND, IDCLOSE, 0);
                        }}},
                      [] { closeThreadWindows(infoTitle); });
    EXPECT_EQ(lotse.info.create(IDD_INFO, nullptr, false, true), 0);
    DestroyWindow(other);

    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(seen.version, String(u"1.0.2"));
    EXPECT_EQ(seen.date, lotse.buildDate);
    EXPECT_EQ(seen.date, String::format(u"%02i.%02i.%04i", LOTSE_BUILD_DAY, LOTSE_BUILD_MONTH,
                                        LOTSE_BUILD_YEAR));
    EXPECT_TRUE(seen.fixedNameShown);
    EXPECT_EQ(seen.maker, String(u"Nordlicht"));
    EXPECT_EQ(seen.web, String(LOTSE_WEB_ADDRESS));
    EXPECT_EQ(seen.linkTarget, String(LOTSE_PRODUCT_PAGE));
    EXPECT_EQ(seen.platform, String::format(u"%i", int(reported.dwPlatformId)));
    EXPECT_EQ(seen.major, String::format(u"%i", int(reported.dwMajorVersion)));
    EXPECT_EQ(seen.minor, String::format(u"%i", int(reported.dwMinorVersion)));
    EXPECT_EQ(seen.build, String::format(u"%i", int(os.buildNumber & 0xFFFF)));
    EXPECT_FALSE(seen.build.empty());
    EXPECT_EQ(seen.osName, SystemInfo::osDescription());
    EXPECT_FALSE(seen.osName.empty());

    // The second request made no second window and brought the first forward.
    EXPECT_EQ(seen.secondResult, 0);
    EXPECT_EQ(seen.afterSecondRequest, seen.first);
    EXPECT_EQ(seen.foreground, seen.first);
    EXPECT_EQ(seen.windows, 1);
    EXPECT_TRUE(seen.openAfterOk);
    EXPECT_EQ(lotse.info.window, nullptr);
}
