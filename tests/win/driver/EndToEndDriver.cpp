// The program's own parts for the end-to-end scripts, without a running
// lotse.exe:
//   lotse_e2e_driver.exe ask SOFTWARE_ID LOCALE_ID QUESTION
//       creates a ticket as this computer's user, as "Neues Ticket anlegen"
//       does, and prints its id;
//   lotse_e2e_driver.exe record TICKET_ID
//       opens the recorder (IDD_SOLUTION_CAPTURE) for the ticket, as "Tickets lösen"
//       does once a ticket was chosen, and returns when it closed. A script
//       whose asker is a lotse.exe started afterwards records here: a helper's
//       lotse.exe of the same user would announce the solved ticket itself.
// Both talk to the configured service. Exit code 0 on success, 1 on failure,
// 3 on a usage error.
#include "service/SoftwareCatalogue.h"
#include "automation/win/AutomationClients.h"
#include "recording/win/SolutionCapture.h"
#include "service/CreateTicketRequest.h"
#include "service/TicketList.h"

#include <cstdio>
#include <cwchar>
#include <objbase.h>
#include <windows.h>

namespace {

int number(const wchar_t* text) {
    return static_cast<int>(std::wcstol(text, nullptr, 10));
}

int ask(int softwareId, int localeId, const String& question) {
    SoftwareCatalogue::instance().load();
    CreateTicketRequest request = CreateTicketRequest::forThisComputer(
        question, SoftwareCatalogue::instance().entry(softwareId), localeId);
    if (!createTicketSucceeded(request.send()))
        return 1;
    TicketList& tickets = TicketList::instance();
    tickets.download();
    int id = 0;
    for (const auto& [key, ticket] : tickets) {
        if (ticket.question == question)
            id = key;
    }
    if (id == 0)
        return 1;
    std::printf("%d\n", id);
    return 0;
}

int record(int ticketId) {
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

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && !std::wcscmp(argv[1], L"ask"))
        return ask(number(argv[2]), number(argv[3]), String(reinterpret_cast<char16_t*>(argv[4])));
    if (argc == 3 && !std::wcscmp(argv[1], L"record"))
        return record(number(argv[2]));
    return 3;
}
