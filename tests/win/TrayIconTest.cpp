#include "app/win/TrayIcon.h"
#include "base/win/WideText.h"
#include "dialogs/win/Template.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <cstring>

// The icon in a real notification area is used by tests/e2e/tray-menu.test.sh.
TEST(TrayIcon, RecordCarriesWindowIconAndTooltipCutToFitAndIsRemoved) {
    Template host;
    host.create(IDD_INFO, nullptr, true, false);
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LOTSE));
    String longTip;
    for (int i = 0; i < 200; ++i)
        longTip.append(u'x');

    NOTIFYICONDATAW record;
    std::memset(&record, 0xAB, sizeof(record)); // add fills every field itself
    TrayIcon::add(record, host.window, icon, longTip);
    EXPECT_EQ(record.cbSize, 968u);
    EXPECT_EQ(record.hWnd, host.window);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(record.hIcon, icon);
    // Cut, never written past the record.
    EXPECT_EQ(fromWide(record.szTip), longTip.substr(0, 127));
    EXPECT_EQ(record.dwState, 0u);
    EXPECT_EQ(record.szInfo[0], 0);
    TrayIcon::remove(record);

    // No notification toolbar of the classic taskbar here: nothing found.
    RECT rect = TrayIcon::revealButton(record);
    EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0);
    host.close(0);
}
