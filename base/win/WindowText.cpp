#include "base/win/WindowText.h"

#include "base/win/WideText.h"

#include <vector>

String windowText(HWND window, int limit) {
    std::vector<wchar_t> text(static_cast<size_t>(limit) + 1, L'\0');
    const int n = GetWindowTextW(window, text.data(), limit + 1);
    return fromWide(text.data(), n < 0 ? 0 : n);
}

String dialogItemText(HWND dialog, int id, int limit) {
    return windowText(GetDlgItem(dialog, id), limit);
}
