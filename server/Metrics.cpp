#include "server/Metrics.h"

#include "server/ServiceHandlers.h"

#include <cstdio>

void Metrics::request(std::string_view endpoint, int status, double seconds) {
    // Only known names become labels: a client cannot grow the table.
    const std::string name =
        ServiceHandlers::isEndpoint(endpoint) ? std::string(endpoint) : std::string("other");
    std::lock_guard<std::mutex> guard(lock);
    ++requests[{name, status}];
    for (size_t i = 0; i < bounds.size(); ++i) {
        if (seconds <= bounds[i])
            ++buckets[i];
    }
    ++observed;
    secondsSum += seconds;
}

void Metrics::groupCommitted(size_t requests) {
    std::lock_guard<std::mutex> guard(lock);
    for (size_t i = 0; i < groupBounds.size(); ++i) {
        if (static_cast<double>(requests) <= groupBounds[i])
            ++groupBuckets[i];
    }
    ++groups;
    groupedRequests += requests;
}

std::string Metrics::text() const {
    std::string out;
    char line[512];
    std::lock_guard<std::mutex> guard(lock);
    out += "# HELP lotse_requests_total Requests answered, by endpoint and HTTP status.\n"
           "# TYPE lotse_requests_total counter\n";
    for (const auto& [key, count] : requests) {
        std::snprintf(line, sizeof line,
                      "lotse_requests_total{endpoint=\"%s\",status=\"%d\"} %llu\n",
                      key.first.c_str(), key.second, static_cast<unsigned long long>(count));
        out += line;
    }
    out += "# HELP lotse_request_duration_seconds Time from the request's headers to its reply.\n"
           "# TYPE lotse_request_duration_seconds histogram\n";
    for (size_t i = 0; i < bounds.size(); ++i) {
        std::snprintf(line, sizeof line, "lotse_request_duration_seconds_bucket{le=\"%g\"} %llu\n",
                      bounds[i], static_cast<unsigned long long>(buckets[i]));
        out += line;
    }
    std::snprintf(line, sizeof line,
                  "lotse_request_duration_seconds_bucket{le=\"+Inf\"} %llu\n"
                  "lotse_request_duration_seconds_sum %.6f\n"
                  "lotse_request_duration_seconds_count %llu\n",
                  static_cast<unsigned long long>(observed), secondsSum,
                  static_cast<unsigned long long>(observed));
    out += line;
    out += "# HELP lotse_group_commit_requests Write requests that shared one commit (SQLite).\n"
           "# TYPE lotse_group_commit_requests histogram\n";
    for (size_t i = 0; i < groupBounds.size(); ++i) {
        std::snprintf(line, sizeof line, "lotse_group_commit_requests_bucket{le=\"%g\"} %llu\n",
                      groupBounds[i], static_cast<unsigned long long>(groupBuckets[i]));
        out += line;
    }
    std::snprintf(line, sizeof line,
                  "lotse_group_commit_requests_bucket{le=\"+Inf\"} %llu\n"
                  "lotse_group_commit_requests_sum %llu\n"
                  "lotse_group_commit_requests_count %llu\n",
                  static_cast<unsigned long long>(groups),
                  static_cast<unsigned long long>(groupedRequests),
                  static_cast<unsigned long long>(groups));
    out += line;
    std::snprintf(line, sizeof line,
                  "# HELP lotse_database_errors_total Requests the database failed.\n"
                  "# TYPE lotse_database_errors_total counter\n"
                  "lotse_database_errors_total %llu\n"
                  "# HELP lotse_open_connections Client connections open now.\n"
                  "# TYPE lotse_open_connections gauge\n"
                  "lotse_open_connections %lld\n",
                  static_cast<unsigned long long>(databaseErrors.load()),
                  static_cast<long long>(connections.load()));
    out += line;
    return out;
}
