#include "app/win/NewVersion.h"

#include "app/VersionGate.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"

bool NewVersion::show(const String& own, const String& newer) {
    NewVersionTexts texts = NewVersionTexts::make(own, newer);
    ownVersion = texts.ownVersion;
    newVersion = texts.newVersion;
    if (texts.connectionError)
        connectionError = true;
    // An open dialog is only brought to the front (result 0).
    return create(IDD_NEW_VERSION, nullptr, false, true) == 1;
}

INT_PTR NewVersion::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG: {
        if (connectionError)
            ShowWindow(GetDlgItem(dialog, IDC_NEW_VERSION_RETRY), SW_SHOW);
        centerWindow(dialog);
        SetDlgItemTextW(dialog, IDC_NEW_VERSION_HEADLINE,
                        L"Es ist eine neue Software-Version verf\u00fcgbar:");
        SetDlgItemTextW(dialog, IDC_NEW_VERSION_LABELS, L"Ihre Version:\n\nNeue Version:");
        const NewVersionTexts texts{ownVersion, newVersion, connectionError};
        SetDlgItemTextW(dialog, IDC_NEW_VERSION_VALUES, wide(texts.versionsText()));
        link.attach(dialog, IDC_NEW_VERSION_DOWNLOAD);
        break;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NEW_VERSION_RETRY:
            close(1);
            break;
        }
        break;
    }
    return 0;
}
