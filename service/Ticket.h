#pragma once

#include "base/Protocol.h"
#include "base/String.h"
#include "automation/Capture.h"

#include <set>

// A question of the service. The field names are those of the service's reply
// members. Search results refer to the list's tickets; a played solution is a
// copy, capture included.
struct Ticket {
    int id = 0;
    int id_operating_system = 0;
    int id_capture = 0; // 0 when no solution was recorded
    int id_locale = 0;
    std::set<int> software_list;
    String question;
    String timestamp_created; // as the service sent it
    int id_state = 0;
    Capture capture; // empty until downloaded

    // The states in which the question search offers a ticket.
    bool offeredBySearch() const { return id_state == TicketSolved || id_state == TicketConfirmed; }
};
