#include "app/win/SingleInstance.h"
#include "app/win/TrayIcon.h"
#include "dialogs/win/Template.h"
#include "resources/resource.h"
#include "base/win/WideText.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(TrayIcon, RecordCarriesWindowIconAndTooltipAndIsRemoved) {
    Template host;
    host.create(IDD_INFO, nullptr, true, false);
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LOTSE));

    NOTIFYICONDATAW record;
    std::memset(&record, 0xAB, sizeof(record)); // add fills every field itself
    TrayIcon::add(record, host.window, icon, u"Lotse");
    EXPECT_EQ(record.cbSize, 968u);
    EXPECT_EQ(record.hWnd, host.window);
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(record.uCallbackMessage, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(record.hIcon, icon);
    EXPECT_EQ(fromWide(record.szTip), String(u"Lotse"));
    EXPECT_EQ(record.dwState, 0u);
    EXPECT_EQ(record.szInfo[0], 0);
    TrayIcon::remove(record);

    // No notification toolbar of the classic taskbar here: nothing found.
    RECT rect = TrayIcon::revealButton(record);
    EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0);

    // A tooltip longer than the record holds is cut, never written past it.
    String longTip;
    for (int i = 0; i < 200; ++i)
        longTip.append(u'x');
    NOTIFYICONDATAW longRecord{};
    TrayIcon::add(longRecord, host.window, icon, longTip);
    EXPECT_EQ(static_cast<int>(wcslen(longRecord.szTip)), 127);
    EXPECT_EQ(longRecord.dwState, 0u);
    TrayIcon::remove(longRecord);
    host.close(0);
}

TEST(SingleInstance, SecondAcquireInTheSameSessionIsRefused) {
    // The mutex is named after this test program and held until it ends.
    EXPECT_TRUE(SingleInstance::acquire());
    EXPECT_FALSE(SingleInstance::acquire());
    HANDLE probe = CreateMutexW(nullptr, FALSE, L"lotse_wintests.exe");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(probe);
}
