#include "dialogs/win/CenterWindow.h"

#include "dialogs/Centering.h"

void centerWindow(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    Origin origin =
        centeredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    SetWindowPos(window, nullptr, origin.x, origin.y, width, height, SWP_NOOWNERZORDER);
}
