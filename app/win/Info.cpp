#include "app/win/Info.h"

#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"
#include "service/SystemInfo.h"

#include "LotseConfig.h"

namespace {

void setText(HWND dialog, int id, const String& text) {
    SetDlgItemTextW(dialog, id, wide(text));
}

} // namespace

INT_PTR Info::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    // The dialog has no OK button: Enter is not a way out, Escape is.
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG: {
        const OsVersionRecord& os = SystemInfo::osVersion();
        const String platform = String::format(u"%i", os.platformId);
        const String minor = String::format(u"%i", os.minor);
        const String major = String::format(u"%i", os.major);
        const String build = String::format(u"%i", static_cast<int>(os.buildNumber & 0xFFFF));
        const String osName = SystemInfo::osDescription();
        centerWindow(window);
        setText(window, IDC_INFO_VERSION, version);
        setText(window, IDC_INFO_DATE, buildDate);
        setText(window, IDC_INFO_WEB, String(LOTSE_WEB_ADDRESS));
        link.attach(window, IDC_INFO_WEB);
        setText(window, IDC_INFO_PLATFORM, platform);
        setText(window, IDC_INFO_MINOR, minor);
        setText(window, IDC_INFO_MAJOR, major);
        setText(window, IDC_INFO_BUILD, build);
        setText(window, IDC_INFO_OS_NAME, osName);
        break;
    }
    }
    return 0;
}
