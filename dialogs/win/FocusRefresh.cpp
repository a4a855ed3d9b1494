#include "dialogs/win/FocusRefresh.h"

#include <windows.h>

#include <iterator>

namespace {

// Milliseconds after the activation at which the focus is set again.
constexpr UINT refreshTimes[] = {50, 250, 1000};

thread_local HHOOK activationHook = nullptr;
thread_local HHOOK keyHook = nullptr;
thread_local HHOOK mouseHook = nullptr;
thread_local UINT_PTR refreshTimer = 0;
thread_local size_t refreshStep = 0;

bool runsOnWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

void stopRefreshing() {
    if (refreshTimer)
        KillTimer(nullptr, refreshTimer);
    refreshTimer = 0;
}

// Sets the focus of the active window again, through none (the same focus
// again would change nothing), keeping the selection of an edit field.
void refreshFocus() {
    HWND active = GetActiveWindow();
    if (!active || !IsWindowVisible(active))
        return;
    HWND focus = GetFocus();
    if (!focus || (focus != active && !IsChild(active, focus)))
        focus = active;
    const bool edit = (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0;
    DWORD start = 0;
    DWORD end = 0;
    if (edit)
        SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
    SetFocus(nullptr);
    // A control that refuses the focus leaves it with the window.
    SetFocus(focus);
    if (!GetFocus())
        SetFocus(active);
    if (edit)
        SendMessageW(focus, EM_SETSEL, start, end);
}

void CALLBACK onRefreshTimer(HWND, UINT, UINT_PTR, DWORD) {
    stopRefreshing();
    refreshFocus();
    if (++refreshStep < std::size(refreshTimes))
        refreshTimer = SetTimer(
            nullptr, 0, refreshTimes[refreshStep] - refreshTimes[refreshStep - 1], onRefreshTimer);
}

LRESULT CALLBACK onActivation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        stopRefreshing();
        refreshStep = 0;
        refreshTimer = SetTimer(nullptr, 0, refreshTimes[0], onRefreshTimer);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A key that reached the thread shows that the X focus is where it belongs.
LRESULT CALLBACK onKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION)
        stopRefreshing();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A click gives the X focus as well, and a refresh after it would close the
// list the click opened.
LRESULT CALLBACK onMouse(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        switch (wParam) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
            stopRefreshing();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

void FocusRefresh::watchThread() {
    if (activationHook || !runsOnWine())
        return;
    activationHook = SetWindowsHookExW(WH_CBT, onActivation, nullptr, GetCurrentThreadId());
    keyHook = SetWindowsHookExW(WH_KEYBOARD, onKey, nullptr, GetCurrentThreadId());
    mouseHook = SetWindowsHookExW(WH_MOUSE, onMouse, nullptr, GetCurrentThreadId());
}
