// Opens the recorder (dialog 103) for one ticket, as the program does once a
// ticket to solve was chosen, so the end-to-end scripts can record a solution:
//   lotse_record_ticket.exe TICKET_ID
// The ticket list and software catalogue come from the configured service; the
// element access is the program's own client. Exit code 0 after the dialog
// closed, 1 when it could not be opened, 3 on a usage error.
#include "app/SoftwareCatalogue.h"
#include "automation/win/AutomationClients.h"
#include "recording/win/SolutionCapture.h"
#include "service/TicketList.h"

#include <cwchar>
#include <objbase.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 3;
    const int ticketId = static_cast<int>(std::wcstol(argv[1], nullptr, 10));
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    int result = 1;
    {
        std::unique_ptr<AutomationClient> owner = createAutomationClient();
        AutomationClient* client = owner.get();
        TicketList::instance().download();
        SoftwareCatalogue::instance().load();
        SolutionCapture recorder(client);
        result = recorder.open(ticketId, [] {}) == 0 ? 0 : 1;
    }
    CoUninitialize();
    return result;
}
