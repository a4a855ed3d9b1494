#pragma once

#include "server/Store.h"

#include <string>
#include <vector>

// The reply of gettickets.php written straight from the rows: the same bytes
// as the document tree of base/Json.h would give (members sorted by key code
// unit by code unit, values quoted and escaped once), without building a
// tree of some million elements for a community's tickets.
std::string ticketListText(const std::vector<TicketRow>& rows);
