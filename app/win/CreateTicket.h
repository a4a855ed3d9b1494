#pragma once

#include "service/SoftwareEntry.h"
#include "base/String.h"
#include "dialogs/win/Template.h"

#include <cstdint>
#include <functional>

// IDD_CREATE_TICKET "Ticket anlegen": puts the user's question to the community. The
// main window fills the three fields right before it opens the dialog modal
// (not while it is open);
// the result is 1 when the service stored the ticket, 0 when the user closed
// the dialog.
class CreateTicket : public Template {
  public:
    ~CreateTicket() override = default;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Sends the question with the software, the language and this computer's
    // identity and system; on the exact reply "OK" announces it, reloads the
    // catalogues (then listsReloaded) and closes with 1, otherwise shows the
    // reply and stays open.
    void createTicket(const String& questionText);

    // A copy of the main window's current software, taken when the dialog opens,
    // so that what is sent is what the dialog shows even when the main window
    // chooses another software meanwhile. Id 0 when the software is not known.
    SoftwareEntry software;
    int32_t localeId = 0;
    String question;
    // Called when a stored ticket made the lists reload, before the dialog closes.
    std::function<void()> listsReloaded;

    // The longest question read from the dialog.
    static constexpr int questionLimit = 4095;
};
