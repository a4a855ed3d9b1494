#pragma once

#include "base/String.h"

#include <functional>
#include <string>
#include <string_view>

#include <cstddef>

// The platform's HTTPS exchange: WinINet on Windows, libcurl natively. Both send
// `body` (when not empty) with the form content type, wait at most 15000 ms for
// each stage, and return the reply body's bytes whatever the HTTP status, with
// that status; empty with status 0 when the exchange fails before the reply, the
// bytes that arrived when it breaks off during the reply.
//
// A reply longer than `maxReplyBytes` is refused whole (empty): the program's
// texts count their units in 32 bits, and no reply of the service comes near it.
inline constexpr size_t maxReplyBytes = size_t(256) << 20;

struct HttpsReply {
    int status = 0; // the HTTP status; 0 when no reply arrived
    std::string bytes;
};

// Takes the reply body piece by piece as it arrives, on the exchanging thread,
// instead of the reply's `bytes`. A reply refused as too long still ends with
// status 0: the pieces handed over until then are to be dropped.
using ReplyPieces = std::function<void(std::string_view piece)>;

// With `compressed` the service is asked for the reply gzip-compressed (it
// compresses the ticket list to a fifth); the transport decodes it, so `bytes`,
// the pieces and the length limit are those of the reply itself either way.
HttpsReply httpsExchange(const String& host, int port, const String& objectName, const String& verb,
                         const std::string& body, const ReplyPieces& pieces = nullptr,
                         bool compressed = false);
