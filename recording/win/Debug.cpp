#include "recording/win/Debug.h"

#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "recording/DebugText.h"
#include "resources/resource.h"

void Debug::refresh() {
    if (!window)
        return;
    const String text = debugText(client, trace, element ? *element : AutomationElementPtr());
    SetWindowTextW(GetDlgItem(window, IDC_DEBUG_TEXT), wide(text));
}

INT_PTR Debug::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    if (message == WM_INITDIALOG) {
        centerWindow(dialog);
        refresh();
    }
    return 0;
}
