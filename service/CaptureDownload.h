#pragma once

#include "automation/Capture.h"
#include "base/Json.h"
#include "service/Ticket.h"

// Fetching a ticket's recorded solution ("getcapture.php").

// Appends the actions of a getcapture reply to `capture`: "trace_cnt" actions
// keyed "0", "1", ..., each with "id_action", "entered_text" and "elem_cnt"
// element objects keyed "0", "1", ... ("name", "class_name", "automation_id",
// "module_name"). A missing action or element object gives an empty one. The
// counts are trusted only as far as the reply has members to back them, so a
// short reply cannot make the program fill its memory with empty entries.
void appendCaptureActions(Capture& capture, const ElementPtr& reply);

// Fills the ticket's capture from the service, replacing what it held; nothing
// is asked for a ticket without capture id. True when the capture holds at least
// one action afterwards.
bool downloadCapture(Ticket& ticket);
