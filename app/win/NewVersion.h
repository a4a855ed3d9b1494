#pragma once

#include "base/String.h"
#include "dialogs/win/Template.h"

// IDD_NEW_VERSION "Neue Version verfügbar": the own and the service's version with a
// download link. Without an answer from the service it reports a connection
// error and offers "Erneut versuchen".
class NewVersion : public Template {
  public:
    // Runs the dialog modal. An empty `newer` means the service did not answer.
    // True when the user pressed "Erneut versuchen".
    bool show(const String& own, const String& newer);

    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    String ownVersion;
    String newVersion;
    HyperLink link;
    bool connectionError = false;
};
