#pragma once

#include "service/SoftwareCatalogue.h"
#include "service/SoftwareEntry.h"
#include "service/Ticket.h"

// The software a ticket is shown with: the catalogue entry of its smallest
// software id (found or inserted, so an unknown id gives an empty entry); null
// for a ticket without software.
SoftwareEntry* ticketSoftware(const Ticket& ticket, SoftwareCatalogue& catalogue);
