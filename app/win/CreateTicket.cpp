#include "app/win/CreateTicket.h"

#include "base/win/WideText.h"
#include "base/win/WindowText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"
#include "service/CatalogueReload.h"
#include "service/CreateTicketRequest.h"

INT_PTR CreateTicket::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(dialog);
        if (!software.file_desc.empty() || !software.file_version.empty())
            SetDlgItemTextW(dialog, IDC_CREATE_SOFTWARE, wide(displayText(software)));
        SetDlgItemTextW(dialog, IDC_CREATE_QUESTION, wide(question));
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_CREATE_CONFIRM:
            createTicket(dialogItemText(dialog, IDC_CREATE_QUESTION, questionLimit));
            break;
        }
        break;
    }
    return 0;
}

void CreateTicket::createTicket(const String& questionText) {
    String reply = CreateTicketRequest::forThisComputer(questionText, software, localeId).send();
    if (!createTicketSucceeded(reply)) {
        MessageBoxW(window, wide(createTicketFailureText(reply)), L"Fehler", MB_OK);
        return;
    }
    MessageBoxW(window, L"Das Ticket wurde erfolgreich angelegt", L"Ticket angelegt", MB_OK);
    // The new ticket is known at once, also to the question search.
    reloadCatalogues();
    if (listsReloaded)
        listsReloaded();
    close(1);
}
