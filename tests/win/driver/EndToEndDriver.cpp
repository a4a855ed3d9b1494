// The program's own parts for the end-to-end scripts, without a running
// lotse.exe:
//   lotse_e2e_driver.exe ask SOFTWARE_ID LOCALE_ID QUESTION
//       creates a ticket as this computer's user, as "Neues Ticket anlegen"
//       does, and prints its id;
//   lotse_e2e_driver.exe record TICKET_ID
//       opens the recorder (IDD_SOLUTION_CAPTURE) for the ticket, as "Tickets lösen"
//       does once a ticket was chosen, and returns when it closed. A script
//       whose asker is a lotse.exe started afterwards records here: a helper's
//       lotse.exe of the same user would announce the solved ticket itself;
//   lotse_e2e_driver.exe play TICKET_ID [HOLD_MS]
//       plays the ticket's solution in the solution navigator, as "Lösung zeigen"
//       does, until the first step's search is over (20 s at most), and prints
//       what the frame shows: "framed control ID CLASS" (a control of the
//       recorded program, by its control id), "framed window TITLE" (a window,
//       not a control) or "framed nothing", then "instruction TEXT" (the first
//       line of the navigator's text) and "note TEXT" (its second line, if any)
//       and "rule TEXT" (how the search decided: the target's match note). The
//       frame stays for HOLD_MS (default 0), then the navigator closes;
//   lotse_e2e_driver.exe solve TICKET_ID STEP...
//       stores a capture for the ticket without recording it. A STEP is
//       "window=TITLE" (the window of the steps that follow), the id of a
//       control of that window (a left click on it, traced as the recorder
//       traces what it records) or "return" (the Return key). Prints
//       "stored" once the service has it.
// Both talk to the configured service. Exit code 0 on success, 1 on failure,
// 3 on a usage error.
#include "automation/ElementDescription.h"
#include "service/SoftwareCatalogue.h"
#include "automation/win/AutomationClients.h"
#include "automation/win/WindowTreeClient.h"
#include "service/CaptureUpload.h"
#include "recording/win/SolutionCapture.h"
#include "service/CreateTicketRequest.h"
#include "service/TicketList.h"
#include "playback/win/SolutionNavigator.h"
#include "resources/resource.h"
#include "tests/win/WindowTestSupport.h"

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

// Runs `work` with an automation client once the service's tickets and
// programs are loaded, inside COM; 1 when COM does not start.
template <typename Work> int withTickets(Work work) {
    const HRESULT com = CoInitialize(nullptr);
    if (FAILED(com)) {
        std::fprintf(stderr, "COM did not start: 0x%08lx\n", static_cast<unsigned long>(com));
        return 1;
    }
    int result = 1;
    {
        std::unique_ptr<AutomationClient> client = createAutomationClient();
        TicketList::instance().download();
        SoftwareCatalogue::instance().load();
        result = work(client.get());
    }
    CoUninitialize();
    return result;
}

int record(int ticketId) {
    return withTickets([&](AutomationClient* client) {
        SolutionCapture recorder(client);
        const INT_PTR result = recorder.open(ticketId, [] {});
        if (result == 0)
            return 0;
        // The journey shows this program's output when it fails. The system's
        // error means something only when the dialog could not be made.
        if (result == -1)
            std::fprintf(stderr, "the recorder did not open (system error %lu)\n",
                         static_cast<unsigned long>(GetLastError()));
        else
            std::fprintf(stderr, "the recorder closed without a save (%lld)\n",
                         static_cast<long long>(result));
        return 1;
    });
}

// Text as UTF-8 on standard output.
void printLine(const char* label, const wchar_t* text) {
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    std::printf("%s %s\n", label, utf8);
}

int play(int ticketId, int holdMs) {
    return withTickets([&](AutomationClient* client) {
        const auto& tickets = TicketList::instance().all();
        const auto ticket = tickets.find(ticketId);
        if (ticket == tickets.end())
            return 1;
        SolutionNavigator navigator(client, [] {});
        navigator.start(ticket->second);
        const SolutionPlayback& playback = navigator.playback();
        auto atFirstStep = [&] {
            return playback.isRunning() && !playback.isWaitingForApplication() &&
                   !playback.isSearching();
        };
        WindowTestSupport::waitFor([&] { return !playback.isRunning() || atFirstStep(); });
        const bool arrived = atFirstStep();
        if (arrived) {
            const AutomationElementPtr& found = playback.foundElement();
            const HWND framed = reinterpret_cast<HWND>(client->nativeWindow(found));
            wchar_t text[1024] = {};
            if (!found) {
                std::printf("framed nothing\n");
            } else if (!framed || !GetParent(framed)) {
                GetWindowTextW(framed, text, 1024);
                printLine("framed window", text);
            } else {
                GetClassNameW(framed, text, 1024);
                std::printf("framed control %d ", GetDlgCtrlID(framed));
                printLine("", text);
            }
            GetDlgItemTextW(navigator.window, IDC_NAVIGATOR_INSTRUCTION, text, 1024);
            wchar_t* note = std::wcsstr(text, L"\r\n");
            if (note) {
                *note = 0;
                note += 2;
            }
            printLine("instruction", text);
            if (note)
                printLine("note", note);
            const ElementTrace* trace = playback.currentTrace();
            if (trace && !trace->elements.empty())
                printLine("rule", reinterpret_cast<const wchar_t*>(
                                      trace->elements.front().matchNote.data()));
            std::fflush(stdout);
            WindowTestSupport::pumpFor(static_cast<DWORD>(holdMs));
        } else {
            std::printf("the playback did not get to its first step\n");
        }
        navigator.close(0);
        return arrived ? 0 : 1;
    });
}

int solve(int ticketId, int stepCount, wchar_t** steps) {
    WindowTreeClient tree;
    Capture capture;
    HWND window = nullptr;
    for (int i = 0; i < stepCount; ++i) {
        CaptureAction action;
        if (!std::wcsncmp(steps[i], L"window=", 7)) {
            window = FindWindowW(nullptr, steps[i] + 7);
            if (!window) {
                std::fwprintf(stderr, L"no window %ls\n", steps[i] + 7);
                return 1;
            }
            continue;
        }
        if (!std::wcscmp(steps[i], L"return")) {
            action.kind = Action::enterKey;
        } else {
            HWND control = GetDlgItem(window, number(steps[i]));
            if (!control) {
                std::fwprintf(stderr, L"no control %ls\n", steps[i]);
                return 1;
            }
            action.kind = Action::leftClick;
            action.trace = buildTrace(&tree, tree.element(control));
        }
        capture.actions.push_back(action);
    }
    String error;
    if (uploadCapture(ticketId, capture, error)) {
        // Scripts wait for this line: under Wine's desktop launcher they see
        // neither the exit code nor, without it, when the program ended.
        std::printf("stored\n");
        return 0;
    }
    std::fwprintf(stderr, L"createcapture: %ls\n", reinterpret_cast<const wchar_t*>(error.data()));
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5 && !std::wcscmp(argv[1], L"ask"))
        return ask(number(argv[2]), number(argv[3]), String(reinterpret_cast<char16_t*>(argv[4])));
    if (argc == 3 && !std::wcscmp(argv[1], L"record"))
        return record(number(argv[2]));
    if ((argc == 3 || argc == 4) && !std::wcscmp(argv[1], L"play"))
        return play(number(argv[2]), argc == 4 ? number(argv[3]) : 0);
    if (argc >= 4 && !std::wcscmp(argv[1], L"solve"))
        return solve(number(argv[2]), argc - 3, argv + 3);
    return 3;
}
