#pragma once

#include "server/ServiceOptions.h"

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

// The abuse limits of the write endpoints (createticket.php, createcapture.php,
// feedback.php): a token bucket per endpoint and client address. A request
// takes a token; with none left it is refused before anything is stored. Other
// endpoints are not limited. Safe to use from every request thread.
class RateLimiter {
  public:
    using Clock = std::chrono::steady_clock;

    explicit RateLimiter(const ServiceOptions& options);

    // True when the request may go on (it took a token).
    bool allow(std::string_view endpoint, const std::string& address,
               Clock::time_point now = Clock::now());

    // Buckets kept at most; full ones are dropped first, then the oldest.
    static constexpr size_t maxBuckets = 100000;

  private:
    struct Bucket {
        double tokens = 0;
        Clock::time_point last;
    };
    // Index into `limits`, or -1 for an endpoint without a limit.
    int limitIndex(std::string_view endpoint) const;
    double refilled(const Bucket& bucket, const WriteLimit& limit, Clock::time_point now) const;
    void prune(Clock::time_point now);

    WriteLimit limits[3];
    std::mutex lock;
    std::map<std::pair<int, std::string>, Bucket> buckets;
};
