#include "server/HealthService.h"

#include "server/ConnectionPool.h"
#include "server/Metrics.h"
#include "server/ServiceLog.h"

#include <httplib.h>

#include <thread>

struct HealthService::Impl {
    httplib::Server server;
    std::thread thread;
};

HealthService::HealthService(ConnectionPool& pool, const Metrics& metrics)
    : impl(std::make_unique<Impl>()) {
    httplib::Server& server = impl->server;
    server.set_read_timeout(5, 0);
    server.set_write_timeout(5, 0);
    server.Get("/health", [&pool](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        ConnectionPool::Lease lease = pool.acquire();
        Database* database = lease.get();
        if (database)
            database->clearError();
        if (database && database->exec("SELECT 1")) {
            res.set_content("OK\n", "text/plain; charset=utf-8");
            return;
        }
        const std::string why = database ? database->error() : pool.openError();
        if (database)
            database->clearError();
        res.status = 503;
        res.set_content("database not answering: " + ServiceLog::clean(why) + "\n",
                        "text/plain; charset=utf-8");
    });
    server.Get("/metrics", [&metrics](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content(metrics.text(), "text/plain; version=0.0.4; charset=utf-8");
    });
}

HealthService::~HealthService() {
    stop();
}

int HealthService::bind(const std::string& address, int port) {
    if (port == 0)
        return impl->server.bind_to_any_port(address);
    return impl->server.bind_to_port(address, port) ? port : -1;
}

void HealthService::start() {
    impl->thread = std::thread([this] { impl->server.listen_after_bind(); });
}

void HealthService::stop() {
    impl->server.stop();
    if (impl->thread.joinable())
        impl->thread.join();
}
