#pragma once

#include "dialogs/win/Template.h"
#include "service/Ticket.h"

// IDD_TICKET_OVERVIEW "Ticket Übersicht", opened modal from the solve-ticket list: one
// ticket's question, software and operating system next to this computer's
// operating system. Its result is 1 after "Ticket lösen", 0 when closed.
class TicketOverview : public Template {
  public:
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The ticket shown; the list replaces it before every opening.
    Ticket ticket;
};
