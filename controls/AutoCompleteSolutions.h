#pragma once

#include "controls/AutoComplete.h"
#include "service/TicketList.h"

// Completion over the ticket list: the questions of the tickets about
// `softwareFilter` in `localeFilter` (both set by the owner before it fills the
// box); each listed item's data is the address of a Ticket in the list, valid
// while `results` holds it (until the next search or clear).
class AutoCompleteSolutions : public AutoComplete {
  public:
    explicit AutoCompleteSolutions(const TicketList& list = TicketList::instance())
        : tickets(list) {}

    void search(const String& text) override;
    int count() override { return results.count(); }
    String text(int index) override;
    const void* item(int index) override;
    void clear() override;

    TicketMatches results;
    int softwareFilter = 0;
    int localeFilter = 0;

  private:
    const TicketList& tickets;
};
