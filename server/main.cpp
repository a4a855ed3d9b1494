#include "LotseConfig.h"
#include "server/Admin.h"
#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/DataFile.h"
#include "server/HealthService.h"
#include "server/HttpService.h"
#include "server/Metrics.h"
#include "server/RateLimiter.h"
#include "server/Schema.h"
#include "server/ServiceConfig.h"
#include "server/ServiceHandlers.h"
#include "server/ServiceLog.h"
#include "server/ServiceOptions.h"
#include "server/Store.h"
#include "base/Utf8.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

int seed(Database& database, const std::string& file) {
    Store store(database);
    bool empty = false;
    if (!store.isEmpty(empty)) {
        ServiceLog::writef("%s", database.error().c_str());
        return 1;
    }
    if (!empty) {
        std::printf("the database already holds data; nothing seeded\n");
        return 0;
    }
    std::ifstream data(file);
    if (!data) {
        std::fprintf(stderr, "lotse-service: cannot read the demo data %s\n", file.c_str());
        return 1;
    }
    std::string error;
    if (!importData(database, data, error)) {
        std::fprintf(stderr, "lotse-service: seeding failed: %s: %s\n", file.c_str(),
                     error.c_str());
        return 1;
    }
    std::printf("demo data seeded\n");
    return 0;
}

// SIGINT and SIGTERM are taken by one thread with sigtimedwait, so the stop
// happens in ordinary code rather than in a signal handler. It keeps asking the
// server to stop until serving has ended, in case the signal came before the
// server was listening.
void watchSignals(const sigset_t& signals, HttpService& http, const std::atomic<bool>& served) {
    const timespec pause{0, 100 * 1000 * 1000};
    bool stopping = false;
    while (!served) {
        if (sigtimedwait(&signals, nullptr, &pause) > 0)
            stopping = true;
        if (stopping)
            http.stop();
    }
}

// --check-config: every problem on its own line, and whether the certificate
// and key load together.
int checkConfig(const ServiceOptions& options, std::vector<std::string> problems) {
    if (problems.empty()) {
        ConnectionPool unused(options.database, 1);
        ServiceHandlers handlers(unused, options.accessCode, options.currentVersion);
        HttpService http(handlers, options.certFile, options.keyFile);
        if (!http.valid())
            problems.push_back("certificate " + options.certFile + " and certificate_key " +
                               options.keyFile + " do not load (not PEM, or not a pair)");
    }
    for (const std::string& problem : problems)
        std::fprintf(stderr, "lotse-service: %s\n", ServiceLog::clean(problem).c_str());
    if (!problems.empty())
        return 1;
    std::printf("configuration OK\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "admin")
        return runAdmin(argc - 1, argv + 1);

    ServiceOptions options;
    std::vector<std::string> problems;
    const bool parsed = parseServiceOptions(argc, argv, options, problems);
    if (options.accessCode.empty())
        options.accessCode = Utf8::encode(String(LOTSE_ACCESS_CODE));
    if (options.currentVersion.empty())
        options.currentVersion = Utf8::encode(String(LOTSE_VERSION));
    ServiceLog::addSecret(options.accessCode);
    ServiceLog::addDatabaseSecrets(options.database);
    if (options.help && parsed) {
        std::fputs(serviceHelp().c_str(), stdout);
        return 0;
    }
    if (options.manPage && parsed) {
        writeManPage(std::cout);
        return 0;
    }
    if (options.checkConfig)
        return checkConfig(options, problems);
    if (!parsed) {
        for (const std::string& problem : problems)
            std::fprintf(stderr, "lotse-service: %s\n", ServiceLog::clean(problem).c_str());
        std::fputs(serviceUsage(), stderr);
        return 2;
    }

    {
        std::string error;
        std::unique_ptr<Database> database = Database::open(options.database, error);
        if (!database || !migrateSchema(*database, error)) {
            // A PostgreSQL URI may hold a password; it does not go into the log.
            const bool postgres = Database::isPostgresLocation(options.database);
            ServiceLog::writef("%s: %s", postgres ? "PostgreSQL" : options.database.c_str(),
                               error.c_str());
            return 1;
        }
        if (options.seedDemo)
            return seed(*database, options.demoData.empty() ? LOTSE_DEMO_DATA : options.demoData);
    }

    // Block the stop signals before any thread starts, so that every thread
    // inherits the mask and only the watcher takes them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    ConnectionPool pool(options.database, static_cast<size_t>(options.databaseConnections));
    Metrics metrics;
    RateLimiter limiter(options);
    ServiceHandlers handlers(pool, options.accessCode, options.currentVersion);
    HttpService http(handlers, options.certFile, options.keyFile);
    if (!http.valid()) {
        ServiceLog::writef("cannot load certificate %s and key %s", options.certFile.c_str(),
                           options.keyFile.c_str());
        return 1;
    }
    http.observe(&metrics, &limiter, options.requestLog);
    http.serveAtOnce(options.requestThreads);
    handlers.observeGroupCommits([&metrics](size_t requests) { metrics.groupCommitted(requests); });
    const int port = http.bind(options.bindAddress, options.port);
    if (port < 0) {
        ServiceLog::writef("cannot listen on %s port %d", options.bindAddress.c_str(),
                           options.port);
        return 1;
    }
    HealthService health(pool, metrics);
    int healthPort = -1;
    if (options.healthPort >= 0) {
        healthPort = health.bind(options.healthAddress, options.healthPort);
        if (healthPort < 0 || healthPort == port) {
            ServiceLog::writef("cannot listen for /health on %s port %d",
                               options.healthAddress.c_str(), options.healthPort);
            return 1;
        }
        health.start();
    }
    std::printf("listening on %d\n", port);
    if (healthPort >= 0)
        std::printf("health on %d\n", healthPort);
    std::fflush(stdout);

    std::atomic<bool> served{false};
    std::thread watcher(watchSignals, std::cref(signals), std::ref(http), std::cref(served));
    const bool ok = http.run();
    served = true;
    watcher.join();
    health.stop();
    return ok ? 0 : 1;
}
