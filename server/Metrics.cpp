#include "server/Metrics.h"

#include "server/ServiceHandlers.h"

#include <cstdio>

namespace {

// Prometheus buckets are cumulative: a value counts in every bucket it fits.
template <size_t N>
void countIn(const std::array<double, N>& bounds, std::array<uint64_t, N>& buckets, double value) {
    for (size_t i = 0; i < N; ++i) {
        if (value <= bounds[i])
            ++buckets[i];
    }
}

template <size_t N>
void appendHistogram(std::string& out, const char* name, const char* help,
                     const std::array<double, N>& bounds, const std::array<uint64_t, N>& buckets,
                     uint64_t count, const char* sum) {
    char line[512];
    std::snprintf(line, sizeof line, "# HELP %s %s\n# TYPE %s histogram\n", name, help, name);
    out += line;
    for (size_t i = 0; i < N; ++i) {
        std::snprintf(line, sizeof line, "%s_bucket{le=\"%g\"} %llu\n", name, bounds[i],
                      static_cast<unsigned long long>(buckets[i]));
        out += line;
    }
    std::snprintf(line, sizeof line, "%s_bucket{le=\"+Inf\"} %llu\n%s_sum %s\n%s_count %llu\n",
                  name, static_cast<unsigned long long>(count), name, sum, name,
                  static_cast<unsigned long long>(count));
    out += line;
}

} // namespace

void Metrics::request(std::string_view endpoint, int status, double seconds) {
    // Only known names become labels: a client cannot grow the table.
    const std::string name =
        ServiceHandlers::isEndpoint(endpoint) ? std::string(endpoint) : std::string("other");
    std::lock_guard<std::mutex> guard(lock);
    ++requests[{name, status}];
    countIn(bounds, buckets, seconds);
    ++observed;
    secondsSum += seconds;
}

void Metrics::groupCommitted(size_t requests) {
    std::lock_guard<std::mutex> guard(lock);
    countIn(groupBounds, groupBuckets, static_cast<double>(requests));
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
    char sum[32];
    std::snprintf(sum, sizeof sum, "%.6f", secondsSum);
    appendHistogram(out, "lotse_request_duration_seconds",
                    "Time from the request's headers to its reply.", bounds, buckets, observed,
                    sum);
    std::snprintf(sum, sizeof sum, "%llu", static_cast<unsigned long long>(groupedRequests));
    appendHistogram(
        out, "lotse_group_commit_requests",
        "Write requests that shared one commit (SQLite: all writes; PostgreSQL: new tickets).",
        groupBounds, groupBuckets, groups, sum);
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
