#pragma once

#include "base/String.h"
#include "automation/Capture.h"
#include "base/Json.h"

// Storing a recorded solution as a ticket's capture ("createcapture.php").

// The request document: "tno", "code", "cnt" and one object per action keyed by
// its index, holding "act", "cnt" and either "trace" (one object per descriptor:
// "name", "cln", "aid", "mon") or, for an action without elements, "enter".
ElementPtr captureDocument(int ticketId, const Capture& capture);

// True when the service answered exactly "OK"; otherwise `errorText` holds the
// reply (empty when the exchange failed).
bool uploadCapture(int ticketId, const Capture& capture, String& errorText);
