#pragma once

#include <memory>
#include <string>

class ConnectionPool;
class Metrics;

// The operator's listener, apart from the public port and in plain HTTP (it
// belongs on loopback or a private network):
//   GET /health   200 "OK" while the database answers, else 503 with the reason
//   GET /metrics  the counters of Metrics in the Prometheus text format
class HealthService {
  public:
    HealthService(ConnectionPool& pool, const Metrics& metrics);
    ~HealthService();

    // Binds the address; port 0 picks a free one. Returns the bound port, or -1.
    int bind(const std::string& address, int port);
    // Serves on a thread of its own until stop().
    void start();
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
