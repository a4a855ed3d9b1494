#include "playback/TicketSoftware.h"

SoftwareEntry* ticketSoftware(const Ticket& ticket, SoftwareCatalogue& catalogue) {
    if (ticket.software_list.empty())
        return nullptr;
    return &catalogue.entry(*ticket.software_list.begin());
}
