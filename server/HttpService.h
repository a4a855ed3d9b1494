#pragma once

#include <memory>
#include <string>

class ServiceHandlers;

// The HTTPS front of the service: serves the endpoints of ServiceHandlers at
// "/name.php" (and "name.php", as some clients send the object name without a
// leading slash) until stop().
class HttpService {
  public:
    HttpService(const ServiceHandlers& handlers, const std::string& certFile,
                const std::string& keyFile);
    ~HttpService();

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
