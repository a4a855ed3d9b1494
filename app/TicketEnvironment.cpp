#include "app/TicketEnvironment.h"

String ticketSoftwareText(const Ticket& ticket, SoftwareCatalogue& software, bool markSeveral) {
    String text;
    if (!ticket.software_list.empty())
        text = displayText(software.entry(*ticket.software_list.begin()));
    if (markSeveral && ticket.software_list.size() > 1)
        text += u'*';
    return text;
}

String ticketOsText(const Ticket& ticket, OsCatalogue& systems) {
    return systems.get(ticket.id_operating_system).desc;
}
