#pragma once

#include "service/SoftwareEntry.h"
#include "base/String.h"
#include "base/Json.h"
#include "service/OsVersionRecord.h"

// A new ticket for the service ("createticket.php"): the question with the
// software, the chosen language, the asker's identity and operating system.
struct CreateTicketRequest {
    String question;
    SoftwareEntry software;
    int localeId = 0;
    String hwGuid;
    String username;
    OsVersionRecord os;

    // The request for this computer: identity and operating system as SystemInfo
    // reports them.
    static CreateTicketRequest forThisComputer(const String& question,
                                               const SoftwareEntry& software, int localeId);

    // The request document; every member stored escaped, written in key order.
    ElementPtr document();
    // "content=" with the written, percent-encoded document.
    String body();
    // Sends the request and returns the service's reply; empty when the exchange failed.
    String send();
};

// Only the exact reply "OK" means the ticket was created.
bool createTicketSucceeded(const String& reply);
// The text of the error box for any other reply.
String createTicketFailureText(const String& reply);
