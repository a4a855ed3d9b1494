#pragma once

#include "server/KeptReply.h"

#include <memory>
#include <string>

// What one endpoint answers: an HTTP status and a UTF-8 body, either a JSON
// document or a short text ("OK", "1.0.2", an error text).
struct ServiceReply {
    int status = 200;
    std::string body;
    bool json = false;
    // A kept document sent as it is instead of `body` (the cached lists, some
    // megabytes that are not copied for each request).
    std::shared_ptr<const KeptReply> shared;
    // The database failed this request (counted by the service's metrics).
    bool databaseFailed = false;

    static ServiceReply text(std::string body, int status = 200) {
        return ServiceReply{status, std::move(body), false, nullptr};
    }
    static ServiceReply document(std::string body) {
        return ServiceReply{200, std::move(body), true, nullptr};
    }
    static ServiceReply document(std::shared_ptr<const KeptReply> kept) {
        return ServiceReply{200, std::string(), true, std::move(kept)};
    }
};
