#include "playback/win/SolutionNotification.h"

#include "service/SoftwareCatalogue.h"
#include "base/win/WideText.h"
#include "dialogs/win/CenterWindow.h"
#include "playback/TicketSoftware.h"
#include "resources/resource.h"

void SolutionNotification::announce(const Ticket& solved) {
    ticket = solved;
    if (!window) {
        create(IDD_SOLUTION_NOTIFICATION, nullptr, true, true);
        // Read out once it is shown; screen readers pass over hidden windows.
        if (window)
            questionRegion.announce(
                String::format(u"Deine Suche wurde gelöst: %s", ticket.question));
    }
    if (window)
        SetForegroundWindow(window);
}

INT_PTR SolutionNotification::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG: {
        const SoftwareEntry* software = ticketSoftware(ticket, SoftwareCatalogue::instance());
        centerWindow(dialog);
        SetDlgItemTextW(dialog, IDC_NOTIFICATION_QUESTION, wide(ticket.question));
        SetDlgItemTextW(dialog, IDC_NOTIFICATION_SOFTWARE,
                        wide(software ? displayText(*software) : String()));
        questionRegion.attach(dialog);
        break;
    }
    case WM_DESTROY:
        questionRegion.detach();
        break;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_NOTIFICATION_SHOW:
            navigator.start(ticket);
            close(0);
            break;
        }
        break;
    }
    return 0;
}
