#pragma once

#include "dialogs/win/Template.h"

// Dialog 123 "Einstellungen", opened modal from the tray menu.
class Settings : public Template {
  public:
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
