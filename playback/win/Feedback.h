#pragma once

#include "service/SoftwareEntry.h"
#include "automation/AutomationClient.h"
#include "dialogs/win/Template.h"
#include "service/Ticket.h"

// IDD_FEEDBACK "War die Lösung hilfreich?": asked after a solved ticket's
// solution was played to its end; "Ja" or "Nein" goes to the service with the
// ticket and the software the solution was played on. Modeless and top-most,
// without a close box: only the answers end it. Owned by the navigator.
class Feedback : public Template {
  public:
    // `client` is the program's automation client, read when asked.
    explicit Feedback(AutomationClient*& client) : automation(client) {}
    ~Feedback() override = default;

    // Names the software from the element of the last step and asks; nothing
    // without a ticket or an element. Asking again while the window is open
    // only brings it to the front, with this ticket and software.
    void open(const Ticket* ticket, const AutomationElementPtr& element);
    // Sends feedbackYes or feedbackNo and tells the user how it went.
    void send(int answer);
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    int ticketId = 0;
    SoftwareEntry software;

  private:
    AutomationClient*& automation;
};
