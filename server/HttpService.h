#pragma once

#include <memory>
#include <string>

class Metrics;
class RateLimiter;
class ServiceHandlers;

// The HTTPS front of the service: serves the endpoints of ServiceHandlers at
// "/name.php" (and "name.php", as some clients send the object name without a
// leading slash) until stop(). The handlers learn each request's client address.
class HttpService {
  public:
    HttpService(const ServiceHandlers& handlers, const std::string& certFile,
                const std::string& keyFile);
    ~HttpService();

    // Counts every request and connection in `metrics`, refuses write requests
    // over the `limiter`'s limits, and logs a line per request when `requestLog`.
    // Before bind(); either may be null.
    void observe(Metrics* metrics, RateLimiter* limiter, bool requestLog);

    // How many connections are served at once; before bind(). A client that
    // keeps its connection open between requests (as Lotse's WinINet does)
    // holds one of them until it sends again or the connection's idle time
    // ends, while further clients wait for a free one.
    void serveAtOnce(int connections);

    // False when the certificate or key could not be loaded.
    bool valid() const;
    // Binds the address; port 0 picks a free one. Returns the bound port, or -1.
    int bind(const std::string& address, int port);
    // Serves until stop(); false when serving could not start.
    bool run();
    // May be called from any thread.
    void stop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};
