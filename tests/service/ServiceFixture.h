#pragma once

// A private lotse-service for a test, once on each store: a fresh database (a
// SQLite file in a temporary folder, or a database in the tests' PostgreSQL
// server) with demo data or empty, HTTPS on a free loopback port with the
// development certificate ($LOTSE_TLS_DIR or /usr/local/share/lotse-dev-ca), and
// ServiceClient pointed at it. Beside it the helpers of the service tests: raw
// requests (for status codes and bodies the program never sends), request
// documents as the program builds them, and reads of the database.

#include "LotseConfig.h"
#include "base/Json.h"
#include "base/Utf8.h"
#include "service/CaptureUpload.h"
#include "service/ServiceClient.h"
#include "service/SolvedTicketCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <libpq-fe.h>
#include <map>
#include <poll.h>
#include <sqlite3.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

enum class StoreKind { Sqlite, Postgres };

inline std::string tlsFolder() {
    const char* folder = std::getenv("LOTSE_TLS_DIR");
    return folder && *folder ? folder : "/usr/local/share/lotse-dev-ca";
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// For INSTANTIATE_TEST_SUITE_P(Stores, Suite, bothStores(), storeName).
inline auto bothStores() {
    return ::testing::Values(StoreKind::Sqlite, StoreKind::Postgres);
}
inline std::string storeName(const ::testing::TestParamInfo<StoreKind>& info) {
    return info.param == StoreKind::Sqlite ? "Sqlite" : "Postgres";
}

// A database of its own for a test, removed again at the end: a SQLite file, or
// a database in a PostgreSQL server that scripts/postgres-cluster.sh started in
// `postgresState` (by default the server that CTest starts for the service
// tests), reached as user "lotse" through the socket folder named in its "host".
class TestDatabase {
  public:
    TestDatabase() = default;
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;
    ~TestDatabase() { drop(); }

    bool create(StoreKind storeKind, const std::string& postgresState = LOTSE_POSTGRES_STATE) {
        drop();
        kind = storeKind;
        if (kind == StoreKind::Sqlite) {
            char pattern[] = "/tmp/lotse-service-test-XXXXXX";
            if (!mkdtemp(pattern))
                return fail("cannot make a temporary folder");
            folder = pattern;
            where = folder + "/service.db";
            return true;
        }
        std::ifstream hostFile(postgresState + "/host");
        std::string host;
        if (!std::getline(hostFile, host) || host.empty())
            return fail("no PostgreSQL server in " + postgresState +
                        " (CTest starts it; by hand: scripts/postgres-cluster.sh start " +
                        postgresState + ")");
        static int counter = 0;
        name = "lotse_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        server = uri(host, "postgres");
        if (!adminExec("CREATE DATABASE " + name)) {
            name.clear();
            return false;
        }
        where = uri(host, name);
        return true;
    }

    // What the service's --db takes.
    const std::string& location() const { return where; }
    const std::string& error() const { return reason; }

    // The rows of a query, columns joined by "|" and rows by line breaks;
    // "<none>" when the database cannot be read.
    std::string query(const std::string& sql) {
        std::vector<std::string> out;
        if (!rows(sql, out))
            return "<none>";
        std::string text;
        for (size_t i = 0; i < out.size(); ++i)
            text += (i ? "\n" : "") + out[i];
        return text;
    }

    // Every row of every table, to compare the database before and after a request.
    std::string dump() {
        std::vector<std::string> tables;
        rows(kind == StoreKind::Sqlite ? "SELECT name FROM sqlite_master WHERE type = 'table' "
                                         "ORDER BY name"
                                       : "SELECT table_name FROM information_schema.tables WHERE "
                                         "table_schema = 'public' ORDER BY table_name",
             tables);
        std::string out;
        for (const std::string& table : tables) {
            std::vector<std::string> content;
            if (!rows("SELECT * FROM \"" + table + "\"", content))
                content = {"<none>"};
            std::sort(content.begin(), content.end());
            out += "[" + table + "]\n";
            for (const std::string& row : content)
                out += row + "\n";
        }
        return out;
    }

  private:
    static std::string uri(const std::string& host, const std::string& database) {
        std::string encoded;
        for (unsigned char c : host) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            encoded += std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.'
                           ? std::string(1, static_cast<char>(c))
                           : std::string(hex);
        }
        return "postgresql:///" + database + "?host=" + encoded + "&user=lotse";
    }

    bool rows(const std::string& sql, std::vector<std::string>& out) {
        if (kind == StoreKind::Sqlite) {
            sqlite3* db = nullptr;
            sqlite3_stmt* stmt = nullptr;
            const bool ok =
                sqlite3_open_v2(where.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
            while (ok && sqlite3_step(stmt) == SQLITE_ROW) {
                std::string row;
                for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                    const unsigned char* v = sqlite3_column_text(stmt, c);
                    row +=
                        (c ? "|" : "") + std::string(v ? reinterpret_cast<const char*>(v) : "NULL");
                }
                out.push_back(row);
            }
            sqlite3_finalize(stmt);
            sqlite3_close(db);
            return ok;
        }
        if (!connection || PQstatus(connection) != CONNECTION_OK) {
            PQfinish(connection);
            connection = PQconnectdb(where.c_str());
        }
        PGresult* result = PQexec(connection, sql.c_str());
        const bool ok = PQresultStatus(result) == PGRES_TUPLES_OK;
        for (int r = 0; ok && r < PQntuples(result); ++r) {
            std::string row;
            for (int c = 0; c < PQnfields(result); ++c)
                row += (c ? "|" : "") +
                       std::string(PQgetisnull(result, r, c) ? "NULL" : PQgetvalue(result, r, c));
            out.push_back(row);
        }
        PQclear(result);
        return ok;
    }

    bool adminExec(const std::string& sql) {
        PGconn* admin = PQconnectdb(server.c_str());
        PGresult* result = PQexec(admin, sql.c_str());
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        if (!ok)
            reason = sql + ": " + PQerrorMessage(admin);
        PQclear(result);
        PQfinish(admin);
        return ok;
    }

    void drop() {
        PQfinish(connection);
        connection = nullptr;
        if (!name.empty())
            adminExec("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
        name.clear();
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
            folder.clear();
        }
        where.clear();
    }

    bool fail(const std::string& why) {
        reason = why;
        return false;
    }

    StoreKind kind = StoreKind::Sqlite;
    std::string folder, where, name, server, reason;
    PGconn* connection = nullptr;
};

// Nothing half-written (every ticket has its software), and the counters kept
// in the same transactions agree with the tickets.
inline void expectWholeAndCounted(TestDatabase& database) {
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket t WHERE NOT EXISTS "
                             "(SELECT 1 FROM ticket_software s WHERE s.id_ticket = t.id)"),
              "0");
    EXPECT_EQ(database.query("SELECT sum(tickets), sum(unsolved) FROM service_counter"),
              database.query("SELECT count(*), count(CASE WHEN id_state = 1 THEN 1 END) "
                             "FROM ticket"));
}

class ServiceProcess {
  public:
    ServiceProcess() = default;
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;
    ~ServiceProcess() { stop(); }

    // Seeds the database with the demo data.
    static bool seed(const std::string& location) {
        return run({LOTSE_SERVICE_EXE, "--db", location, "--seed-demo"}) == 0;
    }

    // Starts the service on the database at `location`. False with a reason in
    // error() otherwise.
    bool start(const std::string& location) { return launch(location) && listening(); }

    // start() in two halves, for services that start at the same moment.
    bool launch(const std::string& location) {
        stop();
        const std::string tls = tlsFolder();
        int fds[2];
        if (pipe(fds) != 0)
            return fail("cannot make a pipe");
        std::vector<std::string> args = {LOTSE_SERVICE_EXE, "--db", location, "--port", "0"};
        args.insert(args.end(),
                    {"--cert", tls + "/localhost.crt", "--key", tls + "/localhost.key"});
        // Every request of a test comes from 127.0.0.1: the limits per address are
        // lifted unless the test sets its own (a later option wins).
        for (const char* limit :
             {"--createticket-burst", "--createcapture-burst", "--feedback-burst"})
            args.insert(args.end(), {limit, "0"});
        args.insert(args.end(), extraArguments.begin(), extraArguments.end());
        const int errors =
            errorLog.empty() ? -1 : open(errorLog.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        pid = spawn(args, fds[1], errors);
        if (errors >= 0)
            close(errors);
        close(fds[1]);
        output = fdopen(fds[0], "r");
        return pid > 0 || fail("cannot start " LOTSE_SERVICE_EXE);
    }
    bool listening() {
        // The service listens (connections wait) once it printed its port.
        char line[128] = "";
        pollfd ready{fileno(output), POLLIN, 0};
        if (poll(&ready, 1, 20000) <= 0 || !fgets(line, sizeof line, output) ||
            std::sscanf(line, "listening on %d", &servicePort) != 1)
            return fail(std::string("the service did not start: ") + line);
        // With a health listener its port comes on the next line.
        if (std::find(extraArguments.begin(), extraArguments.end(), "--health-port") !=
                extraArguments.end() &&
            (!fgets(line, sizeof line, output) ||
             std::sscanf(line, "health on %d", &healthListenerPort) != 1))
            return fail(std::string("no health listener: ") + line);
        ServiceClient::setServer(u"localhost", servicePort);
        return true;
    }

    // Sends `signal`, then waits for a clean exit (SIGKILL after 10 s). The exit
    // status, or -1 when it had to be killed or was not running.
    int stop(int signal = SIGTERM) {
        int status = -1;
        if (pid > 0) {
            kill(pid, signal);
            status = waitFor(pid, 10);
            pid = -1;
        }
        if (output)
            fclose(output);
        output = nullptr;
        servicePort = 0;
        return status;
    }

    int port() const { return servicePort; }
    int healthPort() const { return healthListenerPort; }

    // Given to the service after the database, port and certificate.
    std::vector<std::string> extraArguments;
    // Where the service's standard error goes (appended); the test's own if empty.
    std::string errorLog;
    const std::string& error() const { return reason; }

    // Runs a program to its end, its standard output and error in `output` or
    // discarded; its exit status, or -1.
    static int run(const std::vector<std::string>& args, std::string* output = nullptr) {
        char path[] = "/tmp/lotse-service-output-XXXXXX";
        const int file = mkstemp(path);
        const pid_t child = spawn(args, file, file);
        const int status = child > 0 ? waitFor(child, 60) : -1;
        close(file);
        if (output)
            *output = readFile(path);
        unlink(path);
        return status;
    }

  private:
    static pid_t spawn(const std::vector<std::string>& args, int stdoutFd, int stderrFd = -1) {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        const pid_t parent = getpid();
        const pid_t child = fork();
        if (child == 0) {
            // A test program that ends without its teardown (a crash, CTest's
            // timeout) takes its services with it.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(127);
            dup2(stdoutFd, STDOUT_FILENO);
            if (stderrFd >= 0)
                dup2(stderrFd, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return child;
    }

    static int waitFor(pid_t child, int seconds) {
        int status = 0;
        for (int i = 0; i < seconds * 50; ++i) {
            if (waitpid(child, &status, WNOHANG) == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -1;
    }

    bool fail(const std::string& why) {
        reason = why;
        return false;
    }

    pid_t pid = -1;
    FILE* output = nullptr;
    int servicePort = 0;
    int healthListenerPort = 0;
    std::string reason;
};

// A test with its own service, run once on each store. Derive and override
// seedDemo() for an empty one.
class ServiceFixture : public ::testing::TestWithParam<StoreKind> {
  protected:
    virtual bool seedDemo() const { return true; }
    void SetUp() override {
        ASSERT_TRUE(database.create(GetParam())) << database.error();
        ASSERT_TRUE(!seedDemo() || ServiceProcess::seed(database.location()))
            << "seeding the demo data failed";
        ASSERT_TRUE(service.start(database.location())) << service.error();
    }
    void TearDown() override {
        EXPECT_EQ(service.stop(), 0) << "the service did not end cleanly";
        ServiceClient::setServer(LOTSE_SERVICE_HOST, LOTSE_SERVICE_PORT);
    }
    TestDatabase database;
    ServiceProcess service;
};

struct RawReply {
    long status = 0;
    std::string body;
};

// One request to the test service; `target` goes into the request line as it
// is ("/gettickets.php", or "gettickets.php" as WinINet may send it). Status 0
// when the exchange failed. Given a curl handle, the request goes over the
// handle's kept connection (and leaves it open for the next one). The health
// listener takes plain "http".
inline RawReply request(int port, const std::string& target, const std::string& method,
                        const std::string& body,
                        const std::vector<std::string>& headers =
                            {"Content-Type: application/x-www-form-urlencoded; charset=utf-8"},
                        CURL* kept = nullptr, const std::string& scheme = "https") {
    RawReply reply;
    CURL* curl = kept ? kept : curl_easy_init();
    curl_slist* list = curl_slist_append(nullptr, "Expect:");
    for (const std::string& header : headers)
        list = curl_slist_append(list, header.c_str());
    const std::string url = scheme + "://localhost:" + std::to_string(port) + "/";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_REQUEST_TARGET, target.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t n, void* to) {
            static_cast<std::string*>(to)->append(data, size * n);
            return size * n;
        });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    if (method != "GET") {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        if (method != "POST")
            curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(list);
    if (!kept)
        curl_easy_cleanup(curl);
    return reply;
}

// A plain-HTTP GET to a health listener.
inline RawReply plainGet(int port, const std::string& path) {
    return request(port, path, "GET", "", {}, nullptr, "http");
}

using Members = std::map<String, String>;

// A request document as the program builds it, the access code in "code"
// unless left out.
inline ElementPtr document(const Members& members, bool withCode = true) {
    ElementPtr root = Json::makeRoot();
    if (withCode)
        Json::ElementMap::setString(root, u"code", ServiceClient::accessCode());
    for (const auto& [key, value] : members)
        Json::ElementMap::setString(root, key, value);
    return root;
}

// The members of a createticket request: the question and sensible defaults.
inline Members ticketMembers(const String& question) {
    return {{u"question", question},
            {u"hw_guid", u"{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}"},
            {u"username", u"tester"},
            {u"sw_id", u"6"},
            {u"sw_file_desc", u"Microsoft Excel"},
            {u"sw_product_name", u"Microsoft Office"},
            {u"sw_file_version", u"16.0"},
            {u"sw_file_version_full", u"16.0.17328.20162"},
            {u"sw_module_name", u"excel.exe"},
            {u"sw_id_locale", u"1"},
            {u"os_id_platform", u"2"},
            {u"os_minor", u"2"},
            {u"os_major", u"6"},
            {u"os_build_no", u"19045"},
            {u"os_description", u"Windows 10 Pro"},
            {u"id_locale", u"1"}};
}

// The solved-ticket check of the asker of ticketMembers().
inline ElementPtr askerCheck() {
    return solvedTicketCheckDocument(u"{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}", u"tester");
}

// A solution for the ticket: one typed text.
inline ElementPtr typedSolution(int ticketId) {
    CaptureAction typed{Action::textInput, {}, {}};
    typed.trace.enteredText = u"HALLO";
    return captureDocument(ticketId, Capture{{typed}});
}

// A request document as the bytes of its form body.
inline std::string bodyOf(const ElementPtr& doc) {
    return ServiceClient::bodyBytes(ServiceClient::documentBody(doc));
}

// Requests through the program's own transport.
inline String postDocument(const char16_t* endpoint, const ElementPtr& doc) {
    return ServiceClient::post(endpoint, ServiceClient::documentBody(doc));
}
inline String postCode(const char16_t* endpoint) {
    return ServiceClient::post(endpoint, ServiceClient::codeBody());
}
inline ElementPtr postCodeParsed(const char16_t* endpoint) {
    return Json::parseText(postCode(endpoint));
}

inline std::string utf8(const String& text) {
    return Utf8::encode(text);
}
