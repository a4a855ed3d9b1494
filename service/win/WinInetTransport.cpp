#include "service/HttpsTransport.h"

#include "base/win/WideText.h"

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace {

constexpr DWORD secureKeepAlive = INTERNET_FLAG_SECURE | INTERNET_FLAG_KEEP_CONNECTION;

void setLimit(HINTERNET internet, DWORD option) {
    DWORD milliseconds = 15000;
    InternetSetOptionW(internet, option, &milliseconds, sizeof(milliseconds));
}

} // namespace

HttpsReply httpsExchange(const String& host, int port, const String& objectName, const String& verb,
                         const std::string& body, const ReplyPieces& pieces, bool compressed) {
    HINTERNET internet =
        InternetOpenW(L"WinInet", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet)
        return {};
    setLimit(internet, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT);
    setLimit(internet, INTERNET_OPTION_DATA_SEND_TIMEOUT);
    setLimit(internet, INTERNET_OPTION_RECEIVE_TIMEOUT);
    setLimit(internet, INTERNET_OPTION_SEND_TIMEOUT);
    setLimit(internet, INTERNET_OPTION_CONNECT_TIMEOUT);

    HINTERNET connection =
        InternetConnectW(internet, wide(host), static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                         INTERNET_SERVICE_HTTP, secureKeepAlive, 1);
    if (!connection) {
        InternetCloseHandle(internet);
        return {};
    }
    HINTERNET request = HttpOpenRequestW(connection, wide(verb), wide(objectName), nullptr, nullptr,
                                         nullptr, secureKeepAlive, 1);
    if (!request) {
        InternetCloseHandle(connection);
        InternetCloseHandle(internet);
        return {};
    }

    std::wstring headers;
    if (!body.empty())
        headers += L"Content-Type: application/x-www-form-urlencoded; charset=utf-8\r\n";
    // WinINet decodes the reply it asked compressed: the reads below get the
    // reply's own bytes. Where it cannot decode, the reply is asked plain.
    BOOL decoding = TRUE;
    if (compressed &&
        InternetSetOptionW(request, INTERNET_OPTION_HTTP_DECODING, &decoding, sizeof decoding))
        headers += L"Accept-Encoding: gzip\r\n";
    const BOOL sent = HttpSendRequestW(
        request, headers.empty() ? nullptr : headers.c_str(), static_cast<DWORD>(headers.size()),
        body.empty() ? nullptr : const_cast<char*>(body.data()), static_cast<DWORD>(body.size()));

    HttpsReply reply;
    if (sent) {
        DWORD status = 0;
        DWORD size = sizeof status;
        if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                           nullptr))
            reply.status = static_cast<int>(status);
        // The announced length is taken at once: the ticket list is tens of
        // megabytes, which growing step by step would copy and map anew.
        DWORD length = 0;
        size = sizeof length;
        if (!pieces &&
            HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length,
                           &size, nullptr) &&
            length <= maxReplyBytes)
            reply.bytes.reserve(length);
        // Large pieces: every read is a round trip through WinINet.
        std::vector<char> piece(size_t(64) << 10);
        DWORD got = 0;
        size_t received = 0;
        while (InternetReadFile(request, piece.data(), static_cast<DWORD>(piece.size()), &got) &&
               got > 0) {
            if (received + got > maxReplyBytes) {
                reply = {};
                break;
            }
            received += got;
            if (pieces)
                pieces(std::string_view(piece.data(), got));
            else
                reply.bytes.append(piece.data(), got);
        }
    }
    InternetCloseHandle(request);
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return reply;
}
