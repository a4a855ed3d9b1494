#pragma once

#include <string>

// What one endpoint answers: an HTTP status and a UTF-8 body, either a JSON
// document or a short text ("OK", "1.0.2", an error text).
struct ServiceReply {
    int status = 200;
    std::string body;
    bool json = false;
    // The database failed this request (counted by the service's metrics).
    bool databaseFailed = false;

    static ServiceReply text(std::string body, int status = 200) {
        return ServiceReply{status, std::move(body), false};
    }
    static ServiceReply document(std::string body) {
        return ServiceReply{200, std::move(body), true};
    }
};
