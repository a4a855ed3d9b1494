#pragma once

#include "automation/Capture.h"
#include "base/String.h"
#include "service/Ticket.h"

// Moving a recorded solution to and from the service: the recorder stores one
// as a ticket's capture, the navigator fetches one to play. Tests script it.
class CaptureTransfer {
  public:
    virtual ~CaptureTransfer() = default;

    // Stores the capture as the ticket's solution ("createcapture.php"). False
    // with the service's reply in `errorText` (empty when the exchange failed).
    virtual bool upload(int ticketId, const Capture& capture, String& errorText) = 0;
    // Fills the ticket's capture from the service ("getcapture.php"), replacing
    // what it held; a ticket without capture id is left as it is. True when the
    // capture holds at least one action afterwards.
    virtual bool download(Ticket& ticket) = 0;
};

// The transfer through the service (ServiceClient).
class ServiceCaptureTransfer : public CaptureTransfer {
  public:
    bool upload(int ticketId, const Capture& capture, String& errorText) override;
    bool download(Ticket& ticket) override;
};
