#pragma once

#include "base/String.h"
#include "dialogs/win/Template.h"

// IDD_INFO "Info", opened modal from the tray menu: the program's version and
// build date, the maker with a link to the product page, and the operating
// system's version record.
class Info : public Template {
  public:
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The program's version and build date.
    String version;
    String buildDate;
    HyperLink link;
};
