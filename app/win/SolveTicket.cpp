#include "app/win/SolveTicket.h"

#include "app/SolveTicketList.h"
#include "dialogs/win/CenterWindow.h"
#include "resources/resource.h"
#include "service/OsCatalogue.h"
#include "service/TicketList.h"

#include <algorithm>

INT_PTR SolveTicket::dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (closedOnRequest(message, wParam))
        return 0;
    switch (message) {
    case WM_INITDIALOG:
        centerWindow(dialog);
        buildList(GetDlgItem(dialog, IDC_SOLVE_GRID_HOST));
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            layout(LOWORD(lParam), HIWORD(lParam));
        break;
    }
    return 0;
}

void SolveTicket::buildList(HWND host) {
    RECT area{};
    GetClientRect(host, &area);
    destroy();
    if (!DataGrid::create(area, host))
        return;
    DataGridModel* grid = state();
    if (!grid)
        return;
    SolveTicketList::build(*grid, TicketList::instance(), SoftwareCatalogue::instance(),
                           OsCatalogue::instance());
    LOGFONTW header = headerFontDescription();
    header.lfWeight = FW_BOLD;
    setHeaderFont(header);
    // The keys need a row to start from.
    grid->select(0, 0);
    updateScrollBars();
    InvalidateRect(gridWindow, nullptr, TRUE);
    UpdateWindow(gridWindow);
}

void SolveTicket::onRowDoubleClick(GridRow* row, int rowIndex, int columnIndex) {
    if (!row || rowIndex == -1 || columnIndex == -1)
        return;
    const int ticketId = row->rowData;
    overview.ticket = TicketList::instance().find(ticketId);
    if (overview.create(IDD_TICKET_OVERVIEW, window, false, true) == 1)
        close(ticketId);
}

bool SolveTicket::onRowReturn(GridRow* row, int rowIndex, int columnIndex) {
    if (!row || rowIndex == -1 || columnIndex == -1)
        return false;
    onRowDoubleClick(row, rowIndex, columnIndex);
    return true;
}

void SolveTicket::layout(int width, int height) {
    HWND host = GetDlgItem(window, IDC_SOLVE_GRID_HOST);
    if (!host)
        return;
    // The template's margin of 7 dialog units on every side.
    RECT margin{7, 7, 7, 7};
    MapDialogRect(window, &margin);
    const int hostWidth = std::max(0, width - static_cast<int>(margin.left + margin.right));
    const int hostHeight = std::max(0, height - static_cast<int>(margin.top + margin.bottom));
    MoveWindow(host, margin.left, margin.top, hostWidth, hostHeight, TRUE);
    if (gridWindow && IsWindow(gridWindow)) {
        MoveWindow(gridWindow, 0, 0, hostWidth, hostHeight, TRUE);
        updateScrollBars();
    }
}
