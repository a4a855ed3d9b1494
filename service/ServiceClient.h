#pragma once

#include "base/String.h"
#include "base/Json.h"
#include "service/HttpsTransport.h"

#include <string>

// Every exchange with the service: one synchronous HTTPS request to a named
// endpoint script, answered with a body of text. The reply is empty when the
// exchange failed at any step; what the user sees is the caller's decision.
namespace ServiceClient {

// A reply: the body decoded from UTF-8 up to its first zero byte, and the HTTP
// status (0 when no reply arrived).
struct Reply {
    int status = 0;
    String text;
};

// Performs the request. `query` (when not empty) follows the endpoint after "?";
// a non-empty `body` is sent form-encoded as UTF-8.
Reply request(const String& host, const String& endpoint, const String& query, const String& body,
              const String& verb);
// request()'s text alone: the HTTP status is not examined, an error page is a
// reply like any other.
String send(const String& host, const String& endpoint, const String& query, const String& body,
            const String& verb);
// send() to the configured host with "POST" and no query.
String post(const String& endpoint, const String& body);
// post() without decoding, each piece of the reply handed to `pieces` as it
// arrives, for a reader that reads while the rest is on its way. False when no
// reply arrived: the pieces handed over until then are to be dropped.
bool postPieces(const String& endpoint, const String& body, const ReplyPieces& pieces);

// The service host and port: the build settings, unless a test chose another
// server.
String host();
int port();
void setServer(const String& host, int port);

// The access code every request except the version check carries.
String accessCode();

// Replaces each of the 26 characters that would break a form value by its
// %XX escape; everything else, non-ASCII, CR and tab included, passes unchanged.
String percentEncode(const String& text);

// The three body forms: "code=%s", "code=%s&cid=%i", and "content=%s" with the
// written, percent-encoded document.
String codeBody();
String codeAndCaptureBody(int captureId);
String documentBody(const ElementPtr& document);

// The object name of a request: the endpoint, and "?" with the query when there
// is one.
String objectName(const String& endpoint, const String& query);
// The bytes a body goes out as: UTF-8, up to the first zero byte.
std::string bodyBytes(const String& body);
// The reply text of the received bytes: decoded up to the first zero byte.
String replyText(const std::string& bytes);

} // namespace ServiceClient
