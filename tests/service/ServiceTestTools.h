#pragma once

// Helpers of the service tests: raw HTTPS requests (for status codes and bodies
// the program never sends), request documents as the program builds them, and
// a dump of every table to compare the database before and after a request.

#include "base/String.h"
#include "service/Json.h"
#include "service/ServiceClient.h"
#include "service/Utf8.h"

#include <curl/curl.h>
#include <sqlite3.h>

#include <string>
#include <utility>
#include <vector>

namespace ServiceTestTools {

struct RawReply {
    long status = 0;
    std::string body;
};

inline size_t collect(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// One request to the test service; `target` goes into the request line as it
// is ("/gettickets.php", or "gettickets.php" as WinINet may send it). Status 0
// when the exchange failed.
inline RawReply request(int port, const std::string& target, const std::string& method,
                        const std::string& body,
                        const std::vector<std::string>& headers = {
                            "Content-Type: application/x-www-form-urlencoded; charset=utf-8"}) {
    RawReply reply;
    CURL* curl = curl_easy_init();
    if (!curl)
        return reply;
    curl_slist* list = curl_slist_append(nullptr, "Expect:");
    for (const std::string& header : headers)
        list = curl_slist_append(list, header.c_str());
    const std::string url = "https://localhost:" + std::to_string(port) + "/";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_REQUEST_TARGET, target.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    if (method != "GET") {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        if (method != "POST")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(list);
    curl_easy_cleanup(curl);
    return reply;
}

using Members = std::vector<std::pair<const char16_t*, String>>;

// A request document as the program builds it: every member stored with
// escapeQuotes = true, the access code in "code" unless given.
inline ElementPtr document(const Members& members, bool withCode = true) {
    ElementPtr root = Json::makeRoot();
    if (withCode)
        Json::ElementMap::setString(root, u"code", ServiceClient::accessCode());
    for (const auto& member : members)
        Json::ElementMap::setString(root, member.first, member.second);
    return root;
}

// The members of a createticket request, with a question and sensible defaults
// that a test may replace.
inline Members ticketMembers(const String& question) {
    return {{u"question", question},
            {u"hw_guid", u"{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}"},
            {u"username", u"tester"},
            {u"sw_id", u"6"},
            {u"sw_file_desc", u"Microsoft Excel"},
            {u"sw_product_name", u"Microsoft Office"},
            {u"sw_file_version", u"16.0"},
            {u"sw_file_version_full", u"16.0.17328.20162"},
            {u"sw_module_name", u"excel.exe"},
            {u"sw_id_locale", u"1"},
            {u"os_id_platform", u"2"},
            {u"os_minor", u"2"},
            {u"os_major", u"6"},
            {u"os_build_no", u"19045"},
            {u"os_description", u"Windows 10 Pro"},
            {u"id_locale", u"1"}};
}

inline void replace(Members& members, const char16_t* key, const String& value) {
    for (auto& member : members) {
        if (String(member.first) == String(key)) {
            member.second = value;
            return;
        }
    }
    members.emplace_back(key, value);
}

inline void remove(Members& members, const char16_t* key) {
    for (auto it = members.begin(); it != members.end(); ++it) {
        if (String(it->first) == String(key)) {
            members.erase(it);
            return;
        }
    }
}

// Sends a document request through the program's own transport.
inline String postDocument(const char16_t* endpoint, const ElementPtr& doc) {
    return ServiceClient::post(endpoint, ServiceClient::documentBody(doc));
}

inline String postCode(const char16_t* endpoint) {
    return ServiceClient::post(endpoint, ServiceClient::codeBody());
}

inline ElementPtr postCodeParsed(const char16_t* endpoint) {
    return Json::parseText(postCode(endpoint));
}

// Every row of every table, in a fixed order, as text.
inline std::string dumpTables(const std::string& path) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "cannot open " + path;
    }
    std::vector<std::string> tables;
    sqlite3_stmt* list = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name", -1,
                       &list, nullptr);
    while (list && sqlite3_step(list) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
    sqlite3_finalize(list);
    for (const std::string& table : tables) {
        out += "[" + table + "]\n";
        sqlite3_stmt* rows = nullptr;
        const std::string sql = "SELECT * FROM \"" + table + "\" ORDER BY 1, 2, 3";
        sqlite3_prepare_v2(db, sql.c_str(), -1, &rows, nullptr);
        while (rows && sqlite3_step(rows) == SQLITE_ROW) {
            for (int c = 0; c < sqlite3_column_count(rows); ++c) {
                const unsigned char* v = sqlite3_column_text(rows, c);
                out += v ? reinterpret_cast<const char*>(v) : "NULL";
                out += "|";
            }
            out += "\n";
        }
        sqlite3_finalize(rows);
    }
    sqlite3_close(db);
    return out;
}

// One value of the database, for checks of single fields.
inline std::string queryText(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string out = "<none>";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            const unsigned char* v = sqlite3_column_text(stmt, 0);
            out = v ? reinterpret_cast<const char*>(v) : "NULL";
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return out;
}

inline std::string utf8(const String& text) {
    return Utf8::encode(text);
}

} // namespace ServiceTestTools
