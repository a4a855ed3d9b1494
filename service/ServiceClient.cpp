#include "service/ServiceClient.h"

#include "LotseConfig.h"
#include "service/HttpsTransport.h"
#include "base/Utf8.h"

#include <cstring>

namespace ServiceClient {

namespace {

struct Server {
    String host = LOTSE_SERVICE_HOST;
    int port = LOTSE_SERVICE_PORT;
};

Server& server() {
    static Server current;
    return current;
}

const char16_t* escapeOf(char16_t c) {
    switch (c) {
    case u'$':
        return u"%24";
    case u'&':
        return u"%26";
    case u'+':
        return u"%2B";
    case u',':
        return u"%2C";
    case u'/':
        return u"%2F";
    case u':':
        return u"%3A";
    case u';':
        return u"%3B";
    case u'=':
        return u"%3D";
    case u'?':
        return u"%3F";
    case u'@':
        return u"%40";
    case u' ':
        return u"%20";
    case u'"':
        return u"%22";
    case u'<':
        return u"%3C";
    case u'#':
        return u"%23";
    case u'%':
        return u"%25";
    case u'{':
        return u"%7B";
    case u'}':
        return u"%7D";
    case u'|':
        return u"%7C";
    case u'\\':
        return u"%5C";
    case u'^':
        return u"%5E";
    case u'~':
        return u"%7E";
    case u'[':
        return u"%5B";
    case u']':
        return u"%5D";
    case u'`':
        return u"%60";
    case u'\n':
        return u"%0A";
    case u'>':
        return u"%3E";
    default:
        return nullptr;
    }
}

} // namespace

String host() {
    return server().host;
}

int port() {
    return server().port;
}

void setServer(const String& hostName, int portNumber) {
    server().host = hostName;
    server().port = portNumber;
}

String accessCode() {
    return LOTSE_ACCESS_CODE;
}

String percentEncode(const String& text) {
    String out;
    const char16_t* p = text.data();
    int plainFrom = 0;
    for (int i = 0; i < text.length(); ++i) {
        const char16_t* escape = escapeOf(p[i]);
        if (!escape)
            continue;
        out.append(p + plainFrom, i - plainFrom);
        out.append(escape, 3);
        plainFrom = i + 1;
    }
    out.append(p + plainFrom, text.length() - plainFrom);
    return out;
}

String codeBody() {
    return String::format(u"code=%s", accessCode());
}

String codeAndCaptureBody(int captureId) {
    return String::format(u"code=%s&cid=%i", accessCode(), captureId);
}

String documentBody(const ElementPtr& document) {
    String json;
    Json::write(document, json);
    return String(u"content=") + percentEncode(json);
}

String objectName(const String& endpoint, const String& query) {
    if (query.empty())
        return endpoint;
    return endpoint + u"?" + query;
}

std::string bodyBytes(const String& body) {
    std::string bytes = Utf8::encode(body);
    const size_t zero = bytes.find('\0');
    if (zero != std::string::npos)
        bytes.resize(zero);
    return bytes;
}

String replyText(const std::string& bytes) {
    const size_t length = std::strlen(bytes.c_str());
    return Utf8::decode(bytes.data(), length);
}

Reply request(const String& hostName, const String& endpoint, const String& query,
              const String& body, const String& verb) {
    const HttpsReply reply =
        httpsExchange(hostName, port(), objectName(endpoint, query), verb, bodyBytes(body));
    return {reply.status, replyText(reply.bytes)};
}

String send(const String& hostName, const String& endpoint, const String& query, const String& body,
            const String& verb) {
    return request(hostName, endpoint, query, body, verb).text;
}

String post(const String& endpoint, const String& body) {
    return send(host(), endpoint, String(), body, u"POST");
}

// The list read in pieces is the ticket list, the one large reply, which the
// service keeps compressed; a short reply would cost it a compression for
// each request.
bool postPieces(const String& endpoint, const String& body, const ReplyPieces& pieces) {
    return httpsExchange(host(), port(), objectName(endpoint, String()), u"POST", bodyBytes(body),
                         pieces, true)
               .status != 0;
}

} // namespace ServiceClient
