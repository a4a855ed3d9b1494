#pragma once

#include "service/CaptureTransfer.h"

#include <vector>

// The service as the recorder and the navigator see it: every ticket with a
// capture id gets `capture`; an upload is kept and answered with `uploadReply`
// ("OK" stores it, anything else is the error text).
struct FakeCaptureTransfer : CaptureTransfer {
    Capture capture;
    String uploadReply = u"OK";
    std::vector<Capture> uploads;
    std::vector<int> uploadTickets;

    bool upload(int ticketId, const Capture& uploaded, String& errorText) override {
        uploadTickets.push_back(ticketId);
        uploads.push_back(uploaded);
        if (uploadReply == String(u"OK"))
            return true;
        errorText = uploadReply;
        return false;
    }
    bool download(Ticket& ticket) override {
        if (ticket.id_capture == 0)
            return false;
        ticket.capture = capture;
        return !ticket.capture.actions.empty();
    }
};
