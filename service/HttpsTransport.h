#pragma once

#include "base/String.h"

#include <string>

// The platform's HTTPS exchange: WinINet on Windows, libcurl natively. Both send
// `body` (when not empty) with the form content type, wait at most 15000 ms for
// each stage, and return the reply body's bytes whatever the HTTP status; empty
// on any failure.
std::string httpsExchange(const String& host, int port, const String& objectName,
                          const String& verb, const std::string& body);
