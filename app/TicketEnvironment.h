#pragma once

#include "service/SoftwareCatalogue.h"
#include "base/String.h"
#include "service/OsCatalogue.h"
#include "service/Ticket.h"

// The environment of a ticket as the solve-ticket list and the ticket overview
// show it. Both lookups are find-or-insert: an id missing from its catalogue
// gets an empty entry there and an empty text here.

// displayText of the catalogue entry with the ticket's smallest software id;
// with `markSeveral`, "*" is appended when the ticket names more than one
// program. Empty for a ticket without software ids.
String ticketSoftwareText(const Ticket& ticket, SoftwareCatalogue& software, bool markSeveral);

// The description of the ticket's operating system.
String ticketOsText(const Ticket& ticket, OsCatalogue& systems);
