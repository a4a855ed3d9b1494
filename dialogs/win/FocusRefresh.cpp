#include "dialogs/win/FocusRefresh.h"

namespace {

bool runsOnWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

} // namespace

void FocusRefresh::activated(HWND dialog, WPARAM wParam) {
    if (LOWORD(wParam) != WA_INACTIVE && runsOnWine())
        SetTimer(dialog, timerId, delayMs, nullptr);
}

void FocusRefresh::refresh(HWND dialog) {
    KillTimer(dialog, timerId);
    if (GetActiveWindow() != dialog)
        return;
    HWND focus = GetFocus();
    if (!focus || (focus != dialog && !IsChild(dialog, focus)))
        focus = dialog;
    // Setting the same focus again changes nothing; through none it is a
    // change, made with this timer message's time.
    SetFocus(nullptr);
    SetFocus(focus);
}
