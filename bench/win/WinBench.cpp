// Figures of the Win32 layer under Wine, for the bench scripts:
//   lotse_winbench.exe grid             fill, paint and sort 32 000 rows of a data grid
//   lotse_winbench.exe navigator-wait   a navigator waiting 12 s for a program that
//                                       is not running (bench/navigator-wait-cpu.sh
//                                       measures the process meanwhile)
//   lotse_winbench.exe ticket-list FILE  read and catalogue a saved gettickets.php
//                                       reply as the start does (its decoding and
//                                       parsing also alone), and release the list
//   lotse_winbench.exe typing FILE      type into a question box like the main
//                                       window's over the tickets of that reply
//   lotse_winbench.exe download         fetch gettickets.php from the service as the
//                                       start does, and nothing else: the download
//                                       alone under Wine, for bench/start-up.sh
#include "automation/win/WindowTreeClient.h"
#include "base/Json.h"
#include "base/Protocol.h"
#include "controls/AutoCompleteSolutions.h"
#include "controls/win/AutoCompleteWindow.h"
#include "controls/win/DataGrid.h"
#include "playback/win/SolutionNavigator.h"
#include "resources/resource.h"
#include "service/ServiceClient.h"
#include "service/SoftwareCatalogue.h"
#include "service/TicketList.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

// Milliseconds since `start` by the performance counter.
double millisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

int gridFigures() {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = DefWindowProcW;
    frameClass.hInstance = module;
    frameClass.lpszClassName = L"GridBenchFrame";
    RegisterClassW(&frameClass);
    HWND frame = CreateWindowExW(0, L"GridBenchFrame", L"DataGrid", WS_POPUP | WS_VISIBLE, 50, 50,
                                 1040, 760, nullptr, nullptr, module, nullptr);
    DataGrid grid;
    if (!frame || !grid.create(RECT{0, 0, 1000, 700}, frame)) {
        std::printf("grid: no window\n");
        return 1;
    }
    DataGridModel& model = *grid.state();
    model.columns[0].width = 200;
    model.columns[1].width = 150;
    model.columns[2].width = 100;

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < DataGridModel::maxRows; ++i) {
        grid.addRow(String::format(u"Wie drucke ich Seite %i von Dokument %i?", i % 97, i), i);
        grid.setCellLabel(i, 1, u"Wine Task Manager - v1.0");
        grid.setCellLabel(i, 2, u"Windows 10 Pro");
    }
    grid.updateScrollBars();
    std::printf("grid fill: %.1f ms for %d rows\n", millisecondsSince(start),
                DataGridModel::maxRows);

    const int paints = 200;
    for (int scroll : {0, 250000}) {
        model.scrollVertical(DataGridModel::scrollThumbTrack, scroll);
        int first = 0, end = 0;
        model.visibleRows(first, end);
        QueryPerformanceCounter(&start);
        for (int i = 0; i < paints; ++i)
            RedrawWindow(grid.gridWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        std::printf("grid paint: %.2f ms per paint of %d rows (scrolled to %d)\n",
                    millisecondsSince(start) / paints, end - first, model.scrollY());
    }

    model.compare = [](const String& a, const String& b, int) {
        return a < b ? -1 : (b < a ? 1 : 0);
    };
    const LPARAM title = MAKELPARAM(50, 5);
    SendMessageW(grid.gridWindow, WM_LBUTTONDOWN, MK_LBUTTON, title);
    QueryPerformanceCounter(&start);
    SendMessageW(grid.gridWindow, WM_LBUTTONUP, 0, title);
    RedrawWindow(grid.gridWindow, nullptr, nullptr, RDW_UPDATENOW);
    std::printf("grid title click: %.1f ms to sort %d rows and paint\n", millisecondsSince(start),
                DataGridModel::maxRows);
    grid.destroy();
    DestroyWindow(frame);
    return 0;
}

int navigatorWait() {
    SoftwareEntry& entry = SoftwareCatalogue::instance().entry(990001);
    entry.id = 990001;
    entry.file_desc = u"Testprogramm";
    entry.file_version = u"2.5";
    Ticket ticket;
    ticket.id = 1;
    ticket.id_state = TicketSolved;
    ticket.software_list = {990001};
    ticket.question = u"Wie komme ich weiter?";
    CaptureAction click;
    click.kind = Action::leftClick;
    click.trace.elements.resize(1);
    click.trace.elements[0].moduleName = u"nosuch.exe";
    ticket.capture.actions = {click};

    WindowTreeClient tree;
    AutomationClient* client = &tree;
    SolutionNavigator navigator(client, [] {});
    navigator.start(ticket);
    if (!navigator.playback().isWaitingForApplication()) {
        std::printf("navigator: not waiting\n");
        return 1;
    }
    std::printf("navigator waiting\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + 12000;
    const UINT_PTR timer = SetTimer(nullptr, 0, 12000, nullptr);
    MSG message;
    while (static_cast<LONG>(GetTickCount() - end) < 0 && GetMessageW(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
    const bool waiting = navigator.playback().isWaitingForApplication();
    std::printf("navigator %s\n", waiting ? "still waiting" : "stopped waiting");
    return waiting ? 0 : 1;
}

// The start's work on the ticket list without the download, on the same bytes
// as bench/start-up.sh's: what Wine's runtime adds shows beside the native
// figure of the same code.
std::string fileBytes(const wchar_t* path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

int ticketListFigures(const wchar_t* path) {
    const std::string bytes = fileBytes(path);
    if (bytes.empty()) {
        std::printf("ticket-list: nothing read\n");
        return 1;
    }
    for (int run = 0; run < 3; ++run) {
        // Decoding and parsing are one pass over the bytes; a reader that keeps
        // nothing shows their part, the rest of the read is the cataloguing
        // (the tickets, their languages and the search index).
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        size_t members = 0;
        Json::readMembersUtf8(bytes, [&members](const String&, const ElementPtr&) { ++members; });
        const double parsed = millisecondsSince(start);
        SoftwareCatalogue catalogue;
        QueryPerformanceCounter(&start);
        double read;
        {
            TicketList list(catalogue);
            list.loadFromReplyBytes(bytes);
            read = millisecondsSince(start);
            std::printf("ticket-list: %d tickets read and catalogued in %.1f ms (decoded and "
                        "parsed in %.1f ms, %zu members; catalogued in the other %.1f ms)",
                        list.count(), read, parsed, members, read - parsed);
        }
        std::printf(", released in %.1f ms\n", millisecondsSince(start) - read);
    }
    return 0;
}

// Typing in the question box as the user feels it: the main window's own
// question box (from its dialog template) with its list open, the real
// completer over the reply's tickets of every software in the language of its
// first offered ticket. A common word is typed and deleted again letter by letter down to
// its first; typed once more, it is selected and deleted at once, from the
// open list of its matches to the empty text that lists every question.
int typingFigures(const wchar_t* path) {
    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(u"{\"1\":{}}"); // 1 stands for every software
    TicketList tickets(catalogue);
    tickets.loadFromReplyBytes(fileBytes(path));
    HWND frame = CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MAIN), nullptr,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (frame)
        ShowWindow(frame, SW_SHOW);
    HWND combo = frame ? GetDlgItem(frame, IDC_MAIN_QUESTION) : nullptr;
    AutoCompleteSolutions completer(tickets);
    completer.softwareFilter = 1;
    for (const auto& [id, ticket] : tickets) {
        if (ticket.offeredBySearch()) {
            completer.localeFilter = ticket.id_locale;
            break;
        }
    }
    AutoCompleteWindow box;
    if (!frame || !combo || !box.attach(completer, combo)) {
        std::printf("typing: no question box\n");
        return 1;
    }
    completer.attach(&box);
    SetFocus(box.editWindow());
    auto paint = [] {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    };
    paint(); // the window's first painting is not a keystroke's
    double worst = 0;
    auto key = [&](char16_t c, const char* name) {
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        completer.onChar(c);
        paint(); // what the keystroke left to paint is part of it
        const double took = millisecondsSince(start);
        std::printf("typing: %-9s %6d matches, %7.1f ms\n", name, completer.count(), took);
        return took;
    };
    for (char16_t c : std::u16string(u"dokument"))
        worst = std::max(worst, key(c, "a letter"));
    for (int i = 0; i < 7; ++i)
        worst = std::max(worst, key(AutoComplete::backspaceChar, "backspace"));
    for (char16_t c : std::u16string(u"okument"))
        worst = std::max(worst, key(c, "a letter"));
    box.setEditSelection(0, -1);
    const double emptied = key(AutoComplete::backspaceChar, "all gone");
    std::printf("typing: worst keystroke %.1f ms; down to the empty text, listing every "
                "question, %.1f ms\n",
                worst, emptied);
    DestroyWindow(frame);
    return 0;
}

// The ticket list's download through the program's own transport, its bytes
// only counted; the line is written at the last byte, so that whoever started
// this process can take the time from its start to then.
int downloadFigures() {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    size_t bytes = 0;
    const bool replied =
        ServiceClient::postPieces(Protocol::Endpoint::gettickets, ServiceClient::codeBody(),
                                  [&bytes](std::string_view piece) { bytes += piece.size(); });
    std::printf("download: %zu bytes in %.0f ms%s\n", bytes, millisecondsSince(start),
                replied ? "" : ", no reply");
    std::fflush(stdout);
    return replied ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"grid") == 0)
        return gridFigures();
    if (argc == 2 && std::wcscmp(argv[1], L"navigator-wait") == 0)
        return navigatorWait();
    if (argc == 3 && std::wcscmp(argv[1], L"ticket-list") == 0)
        return ticketListFigures(argv[2]);
    if (argc == 3 && std::wcscmp(argv[1], L"typing") == 0)
        return typingFigures(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"download") == 0)
        return downloadFigures();
    std::printf("usage: lotse_winbench.exe grid | navigator-wait | ticket-list FILE | typing FILE "
                "| download\n");
    return 2;
}
