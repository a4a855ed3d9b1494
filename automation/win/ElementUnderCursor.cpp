#include "automation/win/ElementUnderCursor.h"

#include <windows.h>

namespace {

constexpr LONG_PTR clickThrough = WS_EX_LAYERED | WS_EX_TRANSPARENT; // 0x80020

// Lets clicks and hit tests pass through a window while it lives; puts its
// extended style back afterwards, whatever happened in between.
class ClickThroughWhile {
  public:
    explicit ClickThroughWhile(HWND window) : window(window) {
        if (!window)
            return;
        oldStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
        SetWindowLongPtrW(window, GWL_EXSTYLE, oldStyle | clickThrough);
    }
    ~ClickThroughWhile() {
        if (window)
            SetWindowLongPtrW(window, GWL_EXSTYLE, oldStyle);
    }
    ClickThroughWhile(const ClickThroughWhile&) = delete;
    ClickThroughWhile& operator=(const ClickThroughWhile&) = delete;

  private:
    HWND window;
    LONG_PTR oldStyle = 0;
};

} // namespace

AutomationElementPtr elementUnderCursor(AutomationClient* client) {
    if (!client)
        return nullptr;
    POINT cursor;
    if (!GetCursorPos(&cursor))
        return nullptr;
    ClickThroughWhile vendorOverlay(FindWindowW(L"CEF-OSC-WIDGET", L"NVIDIA GeForce Overlay"));
    return client->elementAtPoint(cursor.x, cursor.y);
}
