#include "LotseConfig.h"
#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/DataFile.h"
#include "server/HttpService.h"
#include "server/Schema.h"
#include "server/ServiceHandlers.h"
#include "server/ServiceOptions.h"
#include "server/Store.h"
#include "base/Utf8.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <thread>

namespace {

int seed(Database& database, const std::string& file) {
    Store store(database);
    bool empty = false;
    if (!store.isEmpty(empty)) {
        std::fprintf(stderr, "lotse-service: %s\n", database.error().c_str());
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

} // namespace

int main(int argc, char** argv) {
    ServiceOptions options;
    std::string error;
    if (!parseServiceOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "lotse-service: %s\n%s", error.c_str(), serviceUsage());
        return 2;
    }
    if (options.accessCode.empty())
        options.accessCode = Utf8::encode(String(LOTSE_ACCESS_CODE));
    if (options.currentVersion.empty())
        options.currentVersion = Utf8::encode(String(LOTSE_VERSION));

    {
        std::unique_ptr<Database> database = Database::open(options.database, error);
        if (!database || !migrateSchema(*database, error)) {
            // A PostgreSQL URI may hold a password; it does not go into the log.
            const bool postgres = Database::isPostgresLocation(options.database);
            std::fprintf(stderr, "lotse-service: %s: %s\n",
                         postgres ? "PostgreSQL" : options.database.c_str(), error.c_str());
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

    ConnectionPool pool(options.database);
    ServiceHandlers handlers(pool, options.accessCode, options.currentVersion);
    HttpService http(handlers, options.certFile, options.keyFile);
    if (!http.valid()) {
        std::fprintf(stderr, "lotse-service: cannot load certificate %s and key %s\n",
                     options.certFile.c_str(), options.keyFile.c_str());
        return 1;
    }
    const int port = http.bind(options.bindAddress, options.port);
    if (port < 0) {
        std::fprintf(stderr, "lotse-service: cannot listen on %s port %d\n",
                     options.bindAddress.c_str(), options.port);
        return 1;
    }
    std::printf("listening on %d\n", port);
    std::fflush(stdout);

    std::atomic<bool> served{false};
    std::thread watcher(watchSignals, std::cref(signals), std::ref(http), std::cref(served));
    const bool ok = http.run();
    served = true;
    watcher.join();
    return ok ? 0 : 1;
}
