#include "service/HttpsTransport.h"

#include "base/Utf8.h"

#include <curl/curl.h>

// The native build talks to the service with libcurl, with the behaviour of the
// WinINet transport: HTTPS with the system's trusted CAs, the form content type
// only when a body goes out, the status handed on without judging it, no reply
// when the exchange fails before the reply starts.
namespace {

constexpr long stageLimitMs = 15000;

bool curlReady() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct Reply {
    const ReplyPieces* pieces = nullptr;
    std::string bytes;
    size_t received = 0;
    bool tooLong = false;
};

size_t collect(char* data, size_t size, size_t count, void* target) {
    Reply& reply = *static_cast<Reply*>(target);
    const size_t n = size * count;
    if (reply.received + n > maxReplyBytes) {
        reply.tooLong = true;
        return 0; // ends the transfer
    }
    reply.received += n;
    if (*reply.pieces)
        (*reply.pieces)(std::string_view(data, n));
    else
        reply.bytes.append(data, n);
    return n;
}

} // namespace

HttpsReply httpsExchange(const String& host, int port, const String& objectName, const String& verb,
                         const std::string& body, const ReplyPieces& pieces, bool compressed) {
    if (!curlReady())
        return {};
    CURL* curl = curl_easy_init();
    if (!curl)
        return {};

    const std::string url = "https://" + Utf8::encode(host) + ":" + std::to_string(port) + "/" +
                            Utf8::encode(objectName);
    const std::string method = Utf8::encode(verb);
    Reply reply;
    reply.pieces = &pieces;
    curl_slist* headers = nullptr;
    // Only the one header the service reads; no "Expect: 100-continue" round trip
    // for long bodies.
    headers = curl_slist_append(headers, "Expect:");
    // The content type goes only with a body; curl would add its own to an
    // empty POST.
    headers = curl_slist_append(
        headers, body.empty() ? "Content-Type:"
                              : "Content-Type: application/x-www-form-urlencoded; charset=utf-8");

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "WinInet");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, stageLimitMs);
    // WinINet's limits apply to each send and receive, not to the whole
    // exchange: give up when nothing moves for 15 s.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, stageLimitMs / 1000);
    if (compressed)
        curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
    if (method == "POST") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    } else {
        if (method != "GET")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
        if (!body.empty()) {
            curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
            curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body.size()));
            if (method == "GET")
                curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
        }
    }

    // Like WinINet's reading loop, a reply that breaks off keeps what arrived;
    // a failure before the reply has nothing to keep.
    curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_slist_free_all(headers);
    curl_easy_cleanup(curl);
    if (reply.tooLong)
        return {};
    return {static_cast<int>(status), std::move(reply.bytes)};
}
