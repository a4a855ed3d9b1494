#include "app/win/AppKey.h"
#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/SystemInfo.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include "LotseConfig.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <vector>

// The settings dialog's check box is clicked for real, with the registry and
// the Startup folder checked, by tests/e2e/settings-info.test.sh.

using namespace WindowTestSupport;

namespace {

const wchar_t* const runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The Run value's data as stored, every byte of it (empty when there is none).
std::vector<wchar_t> storedRunValue() {
    HKEY key = nullptr;
    std::vector<wchar_t> data;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, runKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return data;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, L"Lotse", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        type == REG_SZ) {
        data.resize(size / sizeof(wchar_t));
        RegQueryValueExW(key, L"Lotse", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                         &size);
    }
    RegCloseKey(key);
    return data;
}

String runValue() {
    std::vector<wchar_t> data = storedRunValue();
    return data.empty()
               ? String()
               : fromWide(data.data(), static_cast<int>(wcsnlen(data.data(), data.size())));
}

String startupLink() {
    wchar_t folder[MAX_PATH + 1] = {};
    SHGetSpecialFolderPathW(nullptr, folder, CSIDL_STARTUP, FALSE);
    return fromWide(folder) + String(u"\\Lotse.lnk");
}

bool linkExists() {
    return GetFileAttributesW(wide(startupLink())) != INVALID_FILE_ATTRIBUTES;
}

bool appKeyExists() {
    HKEY key = openAppKey(u"Lotse", false);
    if (key)
        RegCloseKey(key);
    return key != nullptr;
}

// The test shares the Wine prefix with the program's own runs: the product's
// autostart value, shortcut and application key are put back as they were.
class SavedProductState {
  public:
    SavedProductState() {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, temp);
        savedLink = fromWide(temp) + String(u"lotse-test-saved.lnk");
        if (hadLink)
            CopyFileW(wide(startupLink()), wide(savedLink), FALSE);
    }
    ~SavedProductState() {
        if (runData.empty())
            RegDeleteKeyValueW(HKEY_CURRENT_USER, runKey, L"Lotse");
        else
            RegSetKeyValueW(HKEY_CURRENT_USER, runKey, L"Lotse", REG_SZ, wide(runData),
                            static_cast<DWORD>(runData.length() + 1) * 2);
        if (hadLink)
            MoveFileExW(wide(savedLink), wide(startupLink()), MOVEFILE_REPLACE_EXISTING);
        else
            DeleteFileW(wide(startupLink()));
        if (hadAppKey)
            RegCloseKey(openAppKey(u"Lotse", true));
        else
            RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Lotse");
    }

  private:
    String runData = runValue();
    bool hadLink = linkExists();
    bool hadAppKey = appKeyExists();
    String savedLink;
};

} // namespace

// Only a start without the application key registers autostart.
TEST(FirstRun, MissingAppKeyIsCreatedAndRegistersAutostartOnlyThen) {
    SavedProductState saved;
    Lotse& lotse = Lotse::instance();
    HKEY keptKey = lotse.appKey;
    const int keptFirstRun = lotse.firstRun;
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);

    lotse.setAutostart(false);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Lotse");
    EXPECT_EQ(openAppKey(u"Lotse", false), nullptr); // opening does not create it
    lotse.appKey = nullptr;
    lotse.firstRun = 0;
    lotse.registerFirstRun();
    EXPECT_EQ(lotse.firstRun, 1);
    EXPECT_TRUE(appKeyExists());
    const String quotedSelf = String(u"\"") + fromWide(self) + String(u"\"");
    EXPECT_EQ(runValue(), quotedSelf);
    // Stored with its terminating zero, as REG_SZ data must be.
    const std::vector<wchar_t> stored = storedRunValue();
    ASSERT_EQ(stored.size(), static_cast<size_t>(quotedSelf.length()) + 1);
    EXPECT_EQ(stored.back(), L'\0');
    EXPECT_TRUE(linkExists());
    if (lotse.appKey)
        RegCloseKey(lotse.appKey);

    // A later start: autostart stays as the user set it.
    lotse.setAutostart(false);
    EXPECT_TRUE(runValue().empty());
    EXPECT_FALSE(linkExists());
    lotse.appKey = openAppKey(u"Lotse", false);
    lotse.firstRun = 0;
    lotse.registerFirstRun();
    EXPECT_EQ(lotse.firstRun, 0);
    EXPECT_TRUE(runValue().empty());
    EXPECT_FALSE(linkExists());
    RegCloseKey(lotse.appKey);

    lotse.appKey = keptKey;
    lotse.firstRun = keptFirstRun;
}

// The texts of Info; a second request while it is open brings it to the front
// as Template's tests check.
TEST(InfoDialog, ShowsVersionDateMakerAndSystemAndStaysOpenOnEnter) {
    Lotse& lotse = Lotse::instance();
    OSVERSIONINFOW reported{};
    reported.dwOSVersionInfoSize = sizeof(reported);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ASSERT_TRUE(GetVersionExW(&reported));
#pragma GCC diagnostic pop

    String texts, linkTarget;
    HWND first = nullptr;
    bool openAfterOk = false;
    DialogSteps steps({{[&] { return lotse.info.window != nullptr; },
                        [&] {
                            first = lotse.info.window;
                            for (int id : {IDC_INFO_VERSION, IDC_INFO_DATE, IDC_INFO_MAKER,
                                           IDC_INFO_WEB, IDC_INFO_PLATFORM, IDC_INFO_MAJOR,
                                           IDC_INFO_MINOR, IDC_INFO_BUILD, IDC_INFO_OS_NAME})
                                texts += itemText(first, id) + String(u"|");
                            linkTarget = lotse.info.link.linkTarget();
                            // Enter gives IDOK, which the dialog has no button for.
                            PostMessageW(first, WM_COMMAND, IDOK, 0);
                        }},
                       {nullptr,
                        [&] {
                            openAfterOk = IsWindow(first);
                            PostMessageW(first, WM_COMMAND, IDCLOSE, 0);
                        }}},
                      [] { closeThreadWindows(u"Info"); });
    EXPECT_EQ(lotse.info.create(IDD_INFO, nullptr, false, true), 0);

    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(texts, String::format(u"1.0.2|%02i.%02i.%04i|Nordlicht|%s|%i|%i|%i|%i|%s|",
                                    LOTSE_BUILD_DAY, LOTSE_BUILD_MONTH, LOTSE_BUILD_YEAR,
                                    LOTSE_WEB_ADDRESS, int(reported.dwPlatformId),
                                    int(reported.dwMajorVersion), int(reported.dwMinorVersion),
                                    int(SystemInfo::osVersion().buildNumber & 0xFFFF),
                                    SystemInfo::osDescription()));
    EXPECT_EQ(linkTarget, String(LOTSE_PRODUCT_PAGE));
    EXPECT_TRUE(openAfterOk);
    EXPECT_EQ(lotse.info.window, nullptr);
}
