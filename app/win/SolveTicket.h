#pragma once

#include "app/win/TicketOverview.h"
#include "controls/win/DataGrid.h"
#include "dialogs/win/Template.h"

// IDD_SOLVE_TICKET "Tickets lösen", opened modal by the main window: every open
// ticket in a data grid that follows the dialog's size. A double click on a
// row shows the ticket's overview; its "Ticket lösen" ends the list with the
// ticket's id as result. From the keyboard: Tab reaches the grid, whose first
// row starts selected, the arrows choose a row and Enter opens its overview.
// Closed otherwise, the result is 0.
class SolveTicket : public Template, public DataGrid {
  public:
    // Opening is the dialog's; the grid is made inside it (DataGrid::create).
    using Template::create;

    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Makes the grid anew inside `host` and lists the open tickets of the
    // ticket list, with the software and operating-system catalogues' texts.
    void buildList(HWND host);

    // Opens the overview of the double-clicked row's ticket.
    void onRowDoubleClick(GridRow* row, int rowIndex, int columnIndex) override;
    // Enter on a selected row opens its overview as well.
    bool onRowReturn(GridRow* row, int rowIndex, int columnIndex) override;

    TicketOverview overview;

  private:
    // The grid's host keeps its margins inside the resized dialog; the grid
    // fills the host.
    void layout(int width, int height);
};
