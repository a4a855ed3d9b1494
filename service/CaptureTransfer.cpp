#include "service/CaptureTransfer.h"

#include "service/CaptureDownload.h"
#include "service/CaptureUpload.h"

bool ServiceCaptureTransfer::upload(int ticketId, const Capture& capture, String& errorText) {
    return uploadCapture(ticketId, capture, errorText);
}

bool ServiceCaptureTransfer::download(Ticket& ticket) {
    return downloadCapture(ticket);
}
