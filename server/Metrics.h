#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

// What the service counts for GET /metrics, in the Prometheus text format:
// requests by endpoint and status, how long they took, database failures and
// the client connections open now. Safe to use from every request thread.
class Metrics {
  public:
    // `endpoint` as the request named it; names that are no endpoint count as "other".
    void request(std::string_view endpoint, int status, double seconds);
    void databaseError() { databaseErrors.fetch_add(1, std::memory_order_relaxed); }
    void connectionOpened() { connections.fetch_add(1, std::memory_order_relaxed); }
    void connectionClosed() { connections.fetch_sub(1, std::memory_order_relaxed); }
    // A group of `requests` writes shared one commit.
    void groupCommitted(size_t requests);

    std::string text() const;

    // Upper bounds of the latency histogram, in seconds.
    static constexpr std::array<double, 11> bounds = {0.005, 0.01, 0.025, 0.05, 0.1, 0.25,
                                                      0.5,   1,    2.5,   5,    10};

    // Upper bounds of the group-commit size histogram, in requests.
    static constexpr std::array<double, 7> groupBounds = {1, 2, 4, 8, 16, 32, 64};

  private:
    mutable std::mutex lock;
    std::map<std::pair<std::string, int>, uint64_t> requests;
    std::array<uint64_t, bounds.size()> buckets{};
    uint64_t observed = 0;
    double secondsSum = 0;
    std::array<uint64_t, groupBounds.size()> groupBuckets{};
    uint64_t groups = 0;
    uint64_t groupedRequests = 0;
    std::atomic<uint64_t> databaseErrors{0};
    std::atomic<int64_t> connections{0};
};
