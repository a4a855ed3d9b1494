#include "app/win/TicketOverview.h"

#include "app/TicketEnvironment.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"
#include "service/SystemInfo.h"

INT_PTR TicketOverview::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(dialog);
        SetDlgItemTextW(dialog, IDC_OVERVIEW_QUESTION, wide(ticket.question));
        SetDlgItemTextW(dialog, IDC_OVERVIEW_OS,
                        wide(ticketOsText(ticket, OsCatalogue::instance())));
        SetDlgItemTextW(dialog, IDC_OVERVIEW_OWN_OS, wide(SystemInfo::osDescription()));
        SetDlgItemTextW(dialog, IDC_OVERVIEW_SOFTWARE,
                        wide(ticketSoftwareText(ticket, SoftwareCatalogue::instance(), false)));
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_OVERVIEW_SOLVE)
            close(1);
        break;
    }
    return 0;
}
