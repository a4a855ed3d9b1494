#pragma once

#include "automation/AutomationClient.h"
#include "dialogs/win/LiveRegion.h"
#include "dialogs/win/Template.h"
#include "playback/win/SolutionNavigator.h"
#include "resources/resource.h"
#include "service/Ticket.h"

#include <functional>

// IDD_SOLUTION_NOTIFICATION "Deine Suche wurde gelöst!": announces a solved ticket of this
// user with its question and software and offers to play its solution at once
// ("Lösung zeigen"), with its own navigator. Modeless; at most one window.
class SolutionNotification : public Template {
  public:
    SolutionNotification(AutomationClient*& client, std::function<void()> showMainWindow)
        : navigator(client, std::move(showMainWindow)) {}
    ~SolutionNotification() override = default;

    // One solved ticket reported by the check: opens the window for it, or, when
    // the window is open, only makes this the ticket to play (the texts stay
    // those of the ticket the window opened for) and brings it to the front.
    void announce(const Ticket& solved);
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // A copy: the check reloads the ticket list while the window is open.
    Ticket ticket;
    SolutionNavigator navigator;

  private:
    // The window opens while the user works elsewhere and may not get the
    // focus: its news is read out.
    LiveRegion questionRegion{IDC_NOTIFICATION_QUESTION, LiveRegion::assertive,
                              L"Lotse.Notification"};
};
