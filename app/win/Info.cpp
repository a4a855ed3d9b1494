#include "app/win/Info.h"

#include "dialogs/win/CenterWindow.h"

INT_PTR Info::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(window);
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
        case IDCLOSE:
            close(0);
            break;
        }
        break;
    case WM_QUIT:
        close(0);
        break;
    }
    return 0;
}
