#include "app/win/Settings.h"

#include "app/win/Autostart.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"

INT_PTR Settings::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(window);
        // The registry is read each time: the user may have changed it elsewhere.
        SendDlgItemMessageW(window, IDC_SETTINGS_AUTOSTART, BM_SETCHECK,
                            Autostart::isEnabled(title) ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SETTINGS_AUTOSTART:
            if (setAutostart)
                setAutostart(SendDlgItemMessageW(window, IDC_SETTINGS_AUTOSTART, BM_GETCHECK, 0,
                                                 0) == BST_CHECKED);
            break;
        case IDOK:
            close(0);
            break;
        }
        break;
    }
    return 0;
}
