#pragma once

#include "service/SoftwareEntry.h"
#include "base/String.h"
#include "base/Json.h"

// Whether a played solution helped ("feedback.php").

constexpr int feedbackYes = 0;
constexpr int feedbackNo = 1;

// The request document: "code", "ticketid", the software's "sw_id", "sw_file_desc",
// "sw_product_name", "sw_file_version", "sw_file_version_full", "sw_module_name",
// and "feedback" ("YES" for feedbackYes, "NO" for feedbackNo).
ElementPtr feedbackDocument(int ticketId, const SoftwareEntry& software, int answer);

// A reply of at most four characters holding "OK" is the service's thanks.
bool feedbackSucceeded(const String& reply);

// Sends the answer and returns the service's reply; empty when the exchange failed.
String sendFeedback(int ticketId, const SoftwareEntry& software, int answer);
