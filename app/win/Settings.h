#pragma once

#include "dialogs/win/Template.h"

// Dialog 123 "Einstellungen", opened modal from the tray menu. Its check box
// switches autostart at once; "OK" only closes.
class Settings : public Template {
  public:
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
