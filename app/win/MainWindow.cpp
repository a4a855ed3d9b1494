#include "app/win/Lotse.h"

#include "app/MainWindowTitle.h"
#include "app/win/SingleInstance.h"
#include "app/win/TrayIcon.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"

namespace {

// wParam of the broadcast with which the setup asks the program to end.
constexpr WPARAM quitRequest = 0xFFFF;

// The setup holds this mutex while it runs; the program never does. A mutex
// the program may not open (the setup runs elevated) exists as well.
bool setupIsRunning() {
    SetLastError(0);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, L"LotseSetup");
    DWORD error = GetLastError();
    if (mutex)
        CloseHandle(mutex);
    return error == ERROR_ALREADY_EXISTS || (!mutex && error == ERROR_ACCESS_DENIED);
}

constexpr UINT topWithoutMoving = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE;
constexpr int ticketCountPeriodMs = 300000;

} // namespace

INT_PTR Lotse::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        centerWindow(dialog);
        SetWindowTextW(dialog, wide(mainWindowTitle(title, version)));
        SetWindowPos(dialog, HWND_TOP, 0, 0, 0, 0, topWithoutMoving);
        EnableWindow(GetDlgItem(dialog, IDC_MAIN_CREATE_TICKET), FALSE);
        SetTimer(dialog, ticketCountTimer, ticketCountPeriodMs, nullptr);
        break;

    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDCANCEL:
        case IDCLOSE:
            hideMainWindow();
            break;
        case ID_TRAY_OPEN:
            showMainWindow();
            break;
        case ID_TRAY_SETTINGS:
            settings.create(IDD_SETTINGS, nullptr, false, true);
            break;
        case ID_TRAY_INFO:
            info.create(IDD_INFO, nullptr, false, true);
            break;
        case ID_TRAY_QUIT:
            quit = 1;
            break;
        }
        break;

    case TrayIcon::callbackMessage:
        switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONDBLCLK:
            showMainWindow();
            break;
        case WM_RBUTTONDOWN:
        case WM_CONTEXTMENU:
            showTrayMenu();
            break;
        }
        break;

    case WM_TIMER:
        if (wParam == showAfterPickTimer) {
            showMainWindow();
            KillTimer(dialog, showAfterPickTimer);
        } else if (wParam == ticketCountTimer) {
            updateTicketCount();
        }
        break;

    case WM_SETTINGCHANGE:
        onSettingChange(wParam);
        break;

    case WM_QUIT:
        hideMainWindow();
        break;
    }
    return 0;
}

void Lotse::onSettingChange(WPARAM wParam) {
    if (setupIsRunning()) {
        if (wParam == quitRequest)
            quit = 1;
    } else if (wParam == SingleInstance::showRequest) {
        showMainWindow();
    }
}

void Lotse::showTrayMenu() {
    HMENU menu = LoadMenuW(moduleInstance ? moduleInstance : GetModuleHandleW(nullptr),
                           MAKEINTRESOURCEW(IDR_TRAY_MENU));
    if (!menu)
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere; the empty message afterwards lets it close on the first try.
    SetForegroundWindow(window);
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageW(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}
