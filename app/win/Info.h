#pragma once

#include "dialogs/win/Template.h"

// Dialog 126 "Info", opened modal from the tray menu.
class Info : public Template {
  public:
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
