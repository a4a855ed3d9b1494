// What bench/service-load.sh needs besides wrk: the ceilings it puts beside the
// service's figures, measured on the same machine in the same run, and a quick
// way to fill a database with many tickets.
//   lotse-service-load-helper hello CERT KEY BIG_BYTES
//       a cpp-httplib SSLServer set up as lotse-service sets up its own, with
//       trivial handlers: POST /hello answers "OK", GET /big a fixed body of
//       BIG_BYTES bytes; prints "listening on PORT" and serves until SIGTERM
//   lotse-service-load-helper fsync FILE SECONDS
//       one row per SQLite transaction, one after the other, write-ahead log
//       with synchronous=FULL as the service keeps its file; prints the
//       transactions per second
//   lotse-service-load-helper seed DATABASE TICKETS
//       adds tickets to a seeded service database (SQLite file or PostgreSQL
//       URI) until it holds TICKETS, in one statement

#include "server/Database.h"

#include <httplib.h>
#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <thread>

namespace {

int hello(const char* cert, const char* key, size_t bigBytes) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    httplib::SSLServer server(cert, key);
    if (!server.is_valid()) {
        std::fprintf(stderr, "lotse-service-load-helper: cannot load %s and %s\n", cert, key);
        return 1;
    }
    // The settings of lotse-service (server/HttpService.cpp).
    server.set_payload_max_length(1024 * 1024);
    server.set_read_timeout(15, 0);
    server.set_write_timeout(15, 0);
    server.set_keep_alive_max_count(100);
    server.set_keep_alive_timeout(2);
    server.new_task_queue = [] { return new httplib::ThreadPool(128); };
    server.set_tcp_nodelay(true);
    int listening = -1;
    server.set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });
    auto big = std::make_shared<const std::string>(bigBytes, 'x');
    server.Post("/hello", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content("OK", "text/html; charset=utf-8");
    });
    server.Get("/big", [big](const httplib::Request&, httplib::Response& res) {
        res.set_header("Cache-Control", "no-store");
        res.set_content_provider(big->size(), "application/json; charset=utf-8",
                                 [big](size_t offset, size_t length, httplib::DataSink& sink) {
                                     return sink.write(big->data() + offset, length);
                                 });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    if (port < 0 || listening < 0 || ::listen(listening, SOMAXCONN) != 0) {
        std::fprintf(stderr, "lotse-service-load-helper: cannot listen\n");
        return 1;
    }
    std::printf("listening on %d\n", port);
    std::fflush(stdout);
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&signals, &signal);
        server.stop();
    });
    server.listen_after_bind();
    stopper.join();
    return 0;
}

bool exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "lotse-service-load-helper: %s: %s\n", sql, message ? message : "?");
    sqlite3_free(message);
    return false;
}

int fsyncCeiling(const char* file, double seconds) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file, &db) != SQLITE_OK) {
        std::fprintf(stderr, "lotse-service-load-helper: cannot open %s\n", file);
        return 1;
    }
    if (!exec(db, "PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; "
                  "CREATE TABLE IF NOT EXISTS row (id INTEGER PRIMARY KEY, text TEXT NOT NULL)")) {
        sqlite3_close(db);
        return 1;
    }
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO row (text) VALUES ('Wie fuege ich eine Zeile ein?')", -1,
                       &insert, nullptr);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    long count = 0;
    while (Clock::now() < end) {
        if (sqlite3_step(insert) != SQLITE_DONE) {
            std::fprintf(stderr, "lotse-service-load-helper: %s\n", sqlite3_errmsg(db));
            break;
        }
        sqlite3_reset(insert);
        ++count;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    sqlite3_finalize(insert);
    sqlite3_close(db);
    std::printf("%ld transactions in %.2f s: %.0f/s\n", count, elapsed, count / elapsed);
    return 0;
}

int seed(const char* location, long tickets) {
    std::string error;
    std::unique_ptr<Database> database = Database::open(location, error);
    if (!database) {
        std::fprintf(stderr, "lotse-service-load-helper: %s\n", error.c_str());
        return 1;
    }
    // Questions of the length people write, in the states a community's
    // tickets are in; the counters of the schema follow by themselves.
    Transaction write(*database);
    Statement add(*database,
                  "WITH RECURSIVE n(i) AS (SELECT (SELECT count(*) FROM ticket) + 1 UNION ALL "
                  "SELECT i + 1 FROM n WHERE i < ?) "
                  "INSERT INTO ticket (question, id_locale, id_operating_system, id_state, "
                  "hw_guid, username, created) SELECT 'Frage ' || i || ': Wie kann ich in der "
                  "Tabelle eine Zeile einfügen, ohne dass sich die Formeln verschieben?', "
                  "(SELECT min(id) FROM locale), (SELECT min(id) FROM operating_system), "
                  "CASE WHEN i % 4 = 0 THEN 3 ELSE 1 END, "
                  "'{0badc0de-0000-4000-8000-' || i || '}', 'nutzer', '2026-12-01 10:00:00' "
                  "FROM n");
    add.bind(1, static_cast<int64_t>(tickets)).run();
    Statement link(*database,
                   "INSERT INTO ticket_software (id_ticket, id_software) "
                   "SELECT id, (SELECT min(id) FROM software) FROM ticket t WHERE "
                   "NOT EXISTS (SELECT 1 FROM ticket_software s WHERE s.id_ticket = t.id)");
    link.run();
    if (!write.commit()) {
        std::fprintf(stderr, "lotse-service-load-helper: %s\n", database->error().c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "hello" && argc == 5)
        return hello(argv[2], argv[3], std::strtoull(argv[4], nullptr, 10));
    if (mode == "fsync" && argc == 4)
        return fsyncCeiling(argv[2], std::atof(argv[3]));
    if (mode == "seed" && argc == 4)
        return seed(argv[2], std::atol(argv[3]));
    std::fprintf(stderr, "usage: lotse-service-load-helper hello CERT KEY BIG_BYTES\n"
                         "       lotse-service-load-helper fsync FILE SECONDS\n"
                         "       lotse-service-load-helper seed DATABASE TICKETS\n");
    return 2;
}
