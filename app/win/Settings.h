#pragma once

#include "base/String.h"
#include "dialogs/win/Template.h"

#include <functional>

// IDD_SETTINGS "Einstellungen", opened modal from the tray menu. Its check box
// switches autostart at once; "OK" only closes.
class Settings : public Template {
  public:
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The product title the autostart entries are named after, and the switch
    // that sets both of them.
    String title;
    std::function<void(bool enable)> setAutostart;
};
