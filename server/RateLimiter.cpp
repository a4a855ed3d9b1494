#include "server/RateLimiter.h"

#include "base/Protocol.h"
#include "base/String.h"
#include "base/Utf8.h"

#include <algorithm>
#include <vector>

namespace {

const char16_t* const limitedEndpoints[] = {Protocol::Endpoint::createticket,
                                            Protocol::Endpoint::createcapture,
                                            Protocol::Endpoint::feedback};

} // namespace

RateLimiter::RateLimiter(const ServiceOptions& options)
    : limits{options.createTicketLimit, options.createCaptureLimit, options.feedbackLimit} {}

int RateLimiter::limitIndex(std::string_view endpoint) const {
    for (int i = 0; i < 3; ++i) {
        if (endpoint == Utf8::encode(String(limitedEndpoints[i])))
            return limits[i].burst > 0 ? i : -1;
    }
    return -1;
}

double RateLimiter::refilled(const Bucket& bucket, const WriteLimit& limit,
                             Clock::time_point now) const {
    const double hours = std::chrono::duration<double>(now - bucket.last).count() / 3600.0;
    return std::min<double>(limit.burst, bucket.tokens + std::max(0.0, hours) * limit.perHour);
}

bool RateLimiter::allow(std::string_view endpoint, const std::string& address,
                        Clock::time_point now) {
    const int index = limitIndex(endpoint);
    if (index < 0)
        return true;
    const WriteLimit& limit = limits[index];
    std::lock_guard<std::mutex> guard(lock);
    auto [it, added] = buckets.try_emplace({index, address});
    Bucket& bucket = it->second;
    bucket.tokens = added ? limit.burst : refilled(bucket, limit, now);
    bucket.last = now;
    const bool allowed = bucket.tokens >= 1.0;
    if (allowed)
        bucket.tokens -= 1.0;
    if (added && buckets.size() > maxBuckets)
        prune(now);
    return allowed;
}

// A full bucket is what a new one would be, so dropping it forgets nothing.
// Should a flood of addresses keep them all part-empty, the oldest go.
void RateLimiter::prune(Clock::time_point now) {
    for (auto it = buckets.begin(); it != buckets.end();) {
        if (refilled(it->second, limits[it->first.first], now) >= limits[it->first.first].burst)
            it = buckets.erase(it);
        else
            ++it;
    }
    if (buckets.size() <= maxBuckets * 9 / 10)
        return;
    std::vector<std::pair<Clock::time_point, std::pair<int, std::string>>> ages;
    for (const auto& [key, bucket] : buckets)
        ages.emplace_back(bucket.last, key);
    std::sort(ages.begin(), ages.end());
    for (size_t i = 0; i < ages.size() - maxBuckets * 9 / 10; ++i)
        buckets.erase(ages[i].second);
}
