// The service as an operator runs it: the configuration file and its check,
// the request log and the metrics, the abuse limits, and the admin commands.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "server/RateLimiter.h"
#include "server/ServiceHandlers.h"
#include "server/ServiceLog.h"

#include <fstream>

namespace {

// The value of one sample line of /metrics ("name{labels}"); -1 when missing.
long long sample(const std::string& metrics, const std::string& name) {
    const size_t at = metrics.find("\n" + name + " ");
    return at == std::string::npos ? -1 : std::atoll(metrics.c_str() + at + name.size() + 2);
}

// A createticket.php request sent from `source` (a loopback address).
RawReply fileTicketFrom(int port, const char* source, const String& question) {
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_INTERFACE, source);
    const RawReply reply =
        request(port, "/createticket.php", "POST", bodyOf(document(ticketMembers(question))),
                {"Content-Type: application/x-www-form-urlencoded"}, curl);
    curl_easy_cleanup(curl);
    return reply;
}

int admin(const std::string& location, std::vector<std::string> args,
          std::string* output = nullptr) {
    args.insert(args.begin(), {LOTSE_SERVICE_EXE, "admin", "--db", location});
    return ServiceProcess::run(args, output);
}

// With a health listener, a request log of its own and a small ticket limit.
class Operated : public ServiceFixture {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/lotse-operator-test-XXXXXX";
        ASSERT_TRUE(mkdtemp(folder));
        logFolder = folder;
        service.errorLog = logFolder + "/stderr";
        service.extraArguments = {"--health-port",           "0", "--createticket-burst", "3",
                                  "--createticket-per-hour", "1"};
        ServiceFixture::SetUp();
    }
    void TearDown() override {
        ServiceFixture::TearDown();
        std::filesystem::remove_all(logFolder);
    }
    std::string metrics() { return plainGet(service.healthPort(), "/metrics").body; }
    std::string log() { return readFile(service.errorLog); }

    std::string logFolder;
};
INSTANTIATE_TEST_SUITE_P(Stores, Operated, bothStores(), storeName);

} // namespace

TEST(ServiceConfigFile, ServesFromTheFileAndCheckNamesEveryProblem) {
    const std::string folder =
        std::filesystem::temp_directory_path() / ("lotse-config-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string tls = tlsFolder();
    const std::string good = "# the service\ndatabase = " + folder + "/service.db\nport = 0\n" +
                             "  certificate = " + tls + "/localhost.crt\ncertificate_key=" + tls +
                             "/localhost.key\naccess_code = a#b c\nhealth_port = 8452\n";
    const auto check = [&](const std::string& text, std::string& output) {
        std::ofstream(folder + "/service.conf") << text;
        return ServiceProcess::run(
            {LOTSE_SERVICE_EXE, "--config", folder + "/service.conf", "--check-config"}, &output);
    };
    std::string output;
    EXPECT_EQ(check(good, output), 0) << output;
    EXPECT_EQ(output, "configuration OK\n");

    const struct {
        std::string from, to, message;
    } broken[] = {
        {"/localhost.crt", "/missing.crt", "certificate: cannot read " + tls + "/missing.crt"},
        {"port = 0", "port = 80x", "service.conf:3: port is not a port (0 to 65535): \"80x\""},
        {"port = 0", "port = 65536", "port is not a port"},
        {"health_port = 8452", "health_port = 8452\ncolour = blue",
         "service.conf:8: unknown setting \"colour\""},
        {"# the service", "the service", "service.conf:1: not a \"name = value\" line"},
        {"health_port = 8452", "health_port = 8452\nport = 8452",
         "health_port 8452 is the public port"},
        {"database", "#database", "database is not set"},
        // A key that is not the certificate's.
        {"/localhost.key", "/localhost.crt", "do not load"},
    };
    for (const auto& change : broken) {
        std::string text = good;
        text.replace(text.find(change.from), change.from.size(), change.to);
        EXPECT_EQ(check(text, output), 1) << change.to;
        EXPECT_NE(output.find(change.message), std::string::npos) << output;
    }

    // Serving from the file: its access code, and a port given on the command
    // line wins over the file's.
    std::ofstream(folder + "/service.conf") << good;
    ServiceProcess service;
    service.extraArguments = {"--config", folder + "/service.conf", "--health-port", "0"};
    ASSERT_TRUE(service.start(folder + "/service.db")) << service.error();
    EXPECT_EQ(request(service.port(), "/getticketcnt.php", "POST", "code=a%23b%20c").body,
              "{\"total\":\"0\",\"unsolved\":\"0\"}");
    EXPECT_NE(service.healthPort(), 8452);
    EXPECT_EQ(plainGet(service.healthPort(), "/health").status, 200);
    // Every other test's service ends with SIGTERM.
    EXPECT_EQ(service.stop(SIGINT), 0);
    std::filesystem::remove_all(folder);
}

TEST(ServiceLog, NeverShowsTheDatabasePasswordNorStartsALineForAClient) {
    // What a client sent cannot end a line of the log and forge the next one.
    EXPECT_EQ(ServiceLog::clean("a\r\nb\x1b\x7f"), "a\\x0d\\x0ab\\x1b\\x7f");
    std::string output;
    const std::string location = "postgresql://lotse:Pa%73s-W0rd@/x?host=/nonexistent";
    EXPECT_EQ(ServiceProcess::run({LOTSE_SERVICE_EXE, "--db", location, "--seed-demo"}, &output),
              1);
    EXPECT_EQ(ServiceProcess::run({LOTSE_SERVICE_EXE, "admin", "--db", location, "list"}, &output),
              1);
    EXPECT_EQ(output.find("W0rd"), std::string::npos) << output;
    EXPECT_NE(output.find("lotse-service"), std::string::npos);
    EXPECT_EQ(ServiceProcess::run({LOTSE_SERVICE_EXE, "--db", "postgresql:///x?password=Geheim&",
                                   "--port", "x", "--check-config"},
                                  &output),
              1);
    EXPECT_EQ(output.find("Geheim"), std::string::npos) << output;
}

TEST_P(Operated, RequestsShowInMetricsAndInTheLogWithoutTheAccessCode) {
    EXPECT_EQ(plainGet(service.healthPort(), "/health").body, "OK\n");
    const std::string before = metrics();
    const std::string counted =
        "lotse_requests_total{endpoint=\"getticketcnt.php\",status=\"200\"}";
    const std::string refused =
        "lotse_requests_total{endpoint=\"getticketcnt.php\",status=\"403\"}";
    const std::string code = utf8(ServiceClient::accessCode());
    {
        // A kept connection is an open one.
        CURL* kept = curl_easy_init();
        for (int i = 0; i < 2; ++i)
            EXPECT_EQ(request(service.port(), "/getticketcnt.php", "POST", "code=" + code,
                              {"Content-Type: application/x-www-form-urlencoded"}, kept)
                          .status,
                      200);
        EXPECT_EQ(sample(metrics(), "lotse_open_connections"), 1);
        curl_easy_cleanup(kept);
    }
    EXPECT_EQ(request(service.port(), "/getticketcnt.php", "POST", "code=wrong").status, 403);
    const std::string after = metrics();
    EXPECT_EQ(sample(after, counted), std::max(0LL, sample(before, counted)) + 2);
    EXPECT_EQ(sample(after, refused), std::max(0LL, sample(before, refused)) + 1);
    EXPECT_EQ(sample(after, "lotse_request_duration_seconds_count"),
              sample(before, "lotse_request_duration_seconds_count") + 3);
    EXPECT_EQ(sample(after, "lotse_database_errors_total"), 0);

    const std::string lines = log();
    EXPECT_NE(lines.find(" 127.0.0.1 POST /getticketcnt.php 200 "), std::string::npos) << lines;
    EXPECT_NE(lines.find(" 127.0.0.1 POST /getticketcnt.php 403 "), std::string::npos) << lines;
    EXPECT_EQ(lines.find(code), std::string::npos) << lines;
    // A client's line break does not start a line of its own in the log.
    request(service.port(), "/x%0Alotse-service:%20forged", "GET", "");
    EXPECT_EQ(log().find("\nforged"), std::string::npos);
}

TEST_P(Operated, AFloodFromOneAddressIsRefusedWhileAnotherIsServed) {
    int accepted = 0, refused = 0;
    for (int i = 0; i < 6; ++i) {
        const RawReply reply = fileTicketFrom(service.port(), "127.0.0.2", u"Flut");
        if (reply.status == 200 && reply.body == "OK")
            ++accepted;
        if (reply.status == 429 && reply.body == ServiceErrors::tooManyRequests)
            ++refused;
    }
    EXPECT_EQ(accepted, 3);
    EXPECT_EQ(refused, 3);
    EXPECT_EQ(database.query("SELECT count(*), min(client_address) FROM ticket WHERE "
                             "question = 'Flut'"),
              "3|127.0.0.2");
    EXPECT_EQ(fileTicketFrom(service.port(), "127.0.0.1", u"Nachbar").body, "OK");
    EXPECT_EQ(database.query("SELECT client_address FROM ticket WHERE question = 'Nachbar'"),
              "127.0.0.1");
    const std::string after = metrics();
    EXPECT_EQ(sample(after, "lotse_requests_total{endpoint=\"createticket.php\",status=\"429\"}"),
              3);
    // The embedded store's accepted writes went through group commits.
    if (GetParam() == StoreKind::Sqlite) {
        EXPECT_EQ(sample(after, "lotse_group_commit_requests_sum"), 4);
    }
}

TEST_P(Operated, ARemovedCaptureReopensTheTicketAndItsAskerIsNotTold) {
    ASSERT_EQ(fileTicketFrom(service.port(), "127.0.0.1", u"Wie drucke ich?").body, "OK");
    const std::string id = database.query("SELECT max(id) FROM ticket");
    const ElementPtr upload = typedSolution(std::stoi(id));
    ASSERT_EQ(postDocument(u"createcapture.php", upload), String(u"OK"));
    std::string shown;
    ASSERT_EQ(admin(database.location(), {"show", id}, &shown), 0) << shown;
    EXPECT_NE(shown.find("Ticket " + id + " (solved)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("1. type \"HALLO\""), std::string::npos) << shown;
    EXPECT_NE(shown.find("from 127.0.0.1"), std::string::npos) << shown;

    std::string output;
    ASSERT_EQ(admin(database.location(), {"remove-capture", id}, &output), 0) << output;
    EXPECT_NE(output.find("removed capture"), std::string::npos) << output;
    EXPECT_EQ(
        database.query("SELECT id_state, COALESCE(id_capture, 0) FROM ticket WHERE id = " + id),
        "1|0");
    EXPECT_EQ(database.query("SELECT count(*) FROM capture WHERE id_ticket = " + id), "0");
    const ElementPtr asker = askerCheck();
    EXPECT_EQ(postDocument(u"checkticket.php", asker), String(u"OK"));
    EXPECT_EQ(admin(database.location(), {"remove-capture", id}), 1);
    ASSERT_EQ(admin(database.location(),
                    {"list", "--state", "open", "--text", "DRUCKE", "--since", "2000-01-01"},
                    &output),
              0);
    EXPECT_NE(output.find(id + "\topen\t"), std::string::npos) << output;
    EXPECT_EQ(admin(database.location(), {"list", "--until", "yesterday"}), 2);

    // Open again: a new solution is taken and reported.
    ASSERT_EQ(postDocument(u"createcapture.php", upload), String(u"OK"));
    EXPECT_NE(postDocument(u"checkticket.php", asker).find(String(u"Wie drucke ich?")), -1);
    ASSERT_EQ(admin(database.location(), {"delete-ticket", id}, &output), 0) << output;
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket WHERE id = " + id), "0");
    EXPECT_EQ(database.query("SELECT count(*) FROM capture WHERE id_ticket = " + id), "0");
}

TEST_P(Operated, AnExportImportsIntoAnEmptyPostgresDatabaseUnchanged) {
    ASSERT_EQ(fileTicketFrom(service.port(), "127.0.0.2", u"Mitgenommen").body, "OK");
    const std::string first = logFolder + "/first.jsonl", second = logFolder + "/second.jsonl";
    ASSERT_EQ(admin(database.location(), {"export", first}), 0);
    TestDatabase target;
    ASSERT_TRUE(target.create(StoreKind::Postgres)) << target.error();
    std::string output;
    ASSERT_EQ(admin(target.location(), {"import", first}, &output), 0) << output;
    EXPECT_EQ(admin(target.location(), {"import", first}), 1); // no longer empty
    ASSERT_EQ(admin(target.location(), {"export", second}), 0);
    const std::string exported = readFile(first);
    EXPECT_NE(exported.find("\"client_address\":\"127.0.0.2\""), std::string::npos);
    EXPECT_GT(exported.size(), 10000u);
    EXPECT_EQ(readFile(second), exported);
}

TEST(RateLimiter, RefillsOverTimeUpToTheBurstPerEndpointAndAddress) {
    ServiceOptions options;
    options.createTicketLimit = {2, 60}; // one a minute
    options.feedbackLimit = {0, 0};      // lifted
    RateLimiter limiter(options);
    const auto start = RateLimiter::Clock::now();
    const auto at = [&](int seconds) { return start + std::chrono::seconds(seconds); };
    EXPECT_TRUE(limiter.allow("createticket.php", "192.0.2.1", at(0)));
    EXPECT_TRUE(limiter.allow("createticket.php", "192.0.2.1", at(0)));
    EXPECT_FALSE(limiter.allow("createticket.php", "192.0.2.1", at(30)));
    EXPECT_TRUE(limiter.allow("createticket.php", "192.0.2.2", at(30)));
    EXPECT_TRUE(limiter.allow("createcapture.php", "192.0.2.1", at(30)));
    EXPECT_TRUE(limiter.allow("createticket.php", "192.0.2.1", at(61)));
    EXPECT_FALSE(limiter.allow("createticket.php", "192.0.2.1", at(62)));
    // A long pause gives back the burst, not more.
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(limiter.allow("createticket.php", "192.0.2.1", at(86400))) << i;
    EXPECT_FALSE(limiter.allow("createticket.php", "192.0.2.1", at(86400)));
    for (int i = 0; i < 100; ++i)
        EXPECT_TRUE(limiter.allow("feedback.php", "192.0.2.1", at(0)));
    EXPECT_TRUE(limiter.allow("gettickets.php", "192.0.2.1", at(0)));
}
