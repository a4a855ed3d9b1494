// Several service processes on one PostgreSQL database, as a hosted service runs
// them behind a load balancer: requests that meet in two processes at the same
// moment, a process killed while it writes, and a database server that goes
// away and comes back.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "server/CounterReader.h"

#include <atomic>
#include <cstdio>
#include <functional>
#include <latch>
#include <set>
#include <sstream>

namespace {

using Clock = std::chrono::steady_clock;

// A kept HTTPS connection to one service process: requests released together
// reach the processes together instead of after their TLS handshakes.
class Connection {
  public:
    explicit Connection(int port) : port(port), curl(curl_easy_init()) {}
    ~Connection() { curl_easy_cleanup(curl); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    RawReply post(const std::string& endpoint, const ElementPtr& doc) {
        return post(endpoint, ServiceClient::documentBody(doc));
    }
    RawReply post(const std::string& endpoint, const String& body) {
        return request(port, "/" + endpoint, "POST", ServiceClient::bodyBytes(body),
                       {"Content-Type: application/x-www-form-urlencoded; charset=utf-8"}, curl);
    }
    // A request that sends the access code alone.
    RawReply code(const std::string& endpoint) { return post(endpoint, ServiceClient::codeBody()); }

  private:
    int port;
    CURL* curl;
};

struct Timed {
    RawReply reply;
    Clock::time_point sent, answered;
};

// Runs both calls on two threads released at the same moment.
std::pair<Timed, Timed> atOnce(const std::function<RawReply()>& first,
                               const std::function<RawReply()>& second) {
    std::latch start(2);
    Timed a, b;
    auto run = [&start](const std::function<RawReply()>& call, Timed& out) {
        start.arrive_and_wait();
        out.sent = Clock::now();
        out.reply = call();
        out.answered = Clock::now();
    };
    std::thread other(run, std::cref(second), std::ref(b));
    run(first, a);
    other.join();
    return {a, b};
}

// The total and unsolved count a process gives; -1 for what it does not.
std::pair<int, int> readCount(Connection& connection) {
    int total = -1, unsolved = -1;
    const std::string body = connection.code("getticketcnt.php").body;
    std::sscanf(body.c_str(), "{\"total\":\"%d\",\"unsolved\":\"%d\"}", &total, &unsolved);
    return {total, unsolved};
}

bool overlapped(const Timed& a, const Timed& b) {
    return a.sent < b.answered && b.sent < a.answered;
}

// A new ticket; with `picked`, about a program picked on the screen that the
// catalogue does not know yet.
ElementPtr ticketRequest(const std::string& question, const std::string& picked = "") {
    Members members = ticketMembers(Utf8::decode(question));
    if (!picked.empty()) {
        members[u"sw_id"] = u"0";
        members[u"sw_file_desc"] = Utf8::decode(picked);
    }
    return document(members);
}

// Two service processes on one new database with the demo data. They start at
// the same moment on the empty database, and one of them makes the schema.
class TwoProcesses : public ::testing::TestWithParam<StoreKind> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(database.create(GetParam())) << database.error();
        ASSERT_TRUE(first.launch(database.location()) && second.launch(database.location()));
        ASSERT_TRUE(first.listening()) << first.error();
        ASSERT_TRUE(second.listening()) << second.error();
        ASSERT_TRUE(ServiceProcess::seed(database.location()));
    }
    int ticketId(const std::string& question) {
        return std::atoi(
            database.query("SELECT id FROM ticket WHERE question = '" + question + "'").c_str());
    }
    TestDatabase database;
    ServiceProcess first, second;
};

// On one PostgreSQL database.
class SharedDatabase : public TwoProcesses {};
INSTANTIATE_TEST_SUITE_P(Postgres, SharedDatabase, ::testing::Values(StoreKind::Postgres),
                         storeName);

// On one PostgreSQL database, or on one SQLite file.
class KilledProcess : public TwoProcesses {};
INSTANTIATE_TEST_SUITE_P(Stores, KilledProcess, bothStores(), storeName);

} // namespace

TEST_P(SharedDatabase, RequestsMeetingInTwoProcessesHaveOneOutcome) {
    Connection one(first.port()), two(second.port());
    const std::string notOpen = "Fehler: das Ticket ist nicht mehr offen";
    int overlaps = 0;
    for (int round = 0; round < 200; ++round) {
        // Two new tickets at once, one through each process, about the same
        // program new to the catalogue: both stored, each with an id of its
        // own, and the program has one entry.
        const std::string program = "Programm " + std::to_string(round);
        const std::string questionA = "Runde " + std::to_string(round) + " A";
        const std::string questionB = "Runde " + std::to_string(round) + " B";
        auto [a, b] =
            atOnce([&] { return one.post("createticket.php", ticketRequest(questionA, program)); },
                   [&] { return two.post("createticket.php", ticketRequest(questionB, program)); });
        ASSERT_EQ(a.reply.body, "OK") << round;
        ASSERT_EQ(b.reply.body, "OK") << round;
        const int id = ticketId(questionA);
        ASSERT_GT(id, 0) << round;
        ASSERT_NE(id, ticketId(questionB)) << round;
        ASSERT_EQ(database.query("SELECT count(DISTINCT s.id), count(*) FROM software s JOIN "
                                 "ticket_software l ON l.id_software = s.id WHERE s.file_desc = '" +
                                 program + "'"),
                  "1|2")
            << round;

        // Two solutions for the same ticket at once: one is stored, the other refused.
        auto [c, d] = atOnce([&] { return one.post("createcapture.php", typedSolution(id)); },
                             [&] { return two.post("createcapture.php", typedSolution(id)); });
        std::multiset<std::string> replies{c.reply.body, d.reply.body};
        ASSERT_EQ(replies, (std::multiset<std::string>{"OK", notOpen})) << round;
        const std::string stored =
            database.query("SELECT id FROM capture WHERE id_ticket = " + std::to_string(id));
        ASSERT_EQ(database.query("SELECT id_state, id_capture FROM ticket WHERE id = " +
                                 std::to_string(id)),
                  "2|" + stored)
            << round; // one capture, and it is the ticket's

        // The asker asks through both at once: the solved ticket is reported once.
        auto [e, f] = atOnce([&] { return one.post("checkticket.php", askerCheck()); },
                             [&] { return two.post("checkticket.php", askerCheck()); });
        const std::string report = e.reply.body == "OK" ? f.reply.body : e.reply.body;
        EXPECT_EQ(e.reply.body == "OK" ? e.reply.body : f.reply.body, "OK") << round;
        const ElementPtr reported = Json::parseText(Utf8::decode(report));
        ASSERT_TRUE(Json::isObject(reported)) << report;
        ASSERT_EQ(Json::asMap(reported)->members.size(), 1u) << report;
        EXPECT_EQ(Json::memberInt(Json::member(reported, String::format(u"%i", id)), u"id_capture"),
                  std::atoi(stored.c_str()))
            << report;
        overlaps += overlapped(a, b) + overlapped(c, d) + overlapped(e, f);
    }
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket WHERE question LIKE 'Runde %'"), "400");
    EXPECT_EQ(database.query("SELECT count(*) FROM solved_report"), "0");
    // Without requests that really ran at the same time, the rounds prove little.
    EXPECT_GT(overlaps, 0);
    RecordProperty("overlapping_pairs", overlaps);
}

// A ticket's change is counted once per transaction, so the software link
// written with a new ticket adds nothing; a link changed in a later
// transaction of the same session, or after the ticket's change was rolled
// back to a savepoint, still counts.
TEST_P(SharedDatabase, ALinkChangedWithoutItsTicketCountsAsAChange) {
    auto changes = [this] {
        return std::atoll(
            database.query("SELECT sum(ticket_changes) FROM service_counter").c_str());
    };
    const std::string id = database.query(
        "SELECT service_create_ticket('Verknuepfung', 1, 'g', 'u', 14, '', '', '', '', '', 0, 2, "
        "6, 2, 9200, 'Windows 8', 1, '2026-12-09 17:00:00', '')");
    ASSERT_GT(std::atoi(id.c_str()), 0) << id;
    const std::string touchLink =
        "UPDATE ticket_software SET id_software = id_software WHERE id_ticket = " + id + ";";
    long long before = changes();
    database.query(touchLink);
    EXPECT_EQ(changes(), before + 1);
    before = changes();
    database.query("BEGIN; SAVEPOINT s; UPDATE ticket SET question = question WHERE id = " + id +
                   "; ROLLBACK TO SAVEPOINT s; " + touchLink + " COMMIT;");
    EXPECT_EQ(changes(), before + 1);
}

TEST_P(SharedDatabase, CountsAndListsFollowEveryWriteOfEitherProcess) {
    Connection one(first.port()), two(second.port());
    Connection* both[] = {&one, &two};
    // The process that wrote counts its write at once; the other one may answer
    // from memory, but a count it is asked for later than countDelay after the
    // write was acknowledged holds it.
    auto countsWithin = [&](Connection& connection, std::pair<int, int> expected,
                            Clock::time_point acknowledged) {
        for (;;) {
            const Clock::time_point sent = Clock::now();
            const std::pair<int, int> counted = readCount(connection);
            if (counted == expected)
                return true;
            if (sent - acknowledged > CounterReader::countDelay)
                return false;
        }
    };
    const auto [total, unsolved] = readCount(one);
    ASSERT_GT(total, 0);
    for (int i = 0; i < 20; ++i) {
        // A write through one process, acknowledged: every read after it, from
        // either process, reflects it (the other's count within the delay),
        // however often the counts and lists were asked before.
        const std::string question = "Zaehlung " + std::to_string(i);
        const std::string program = i % 4 == 0 ? "Neues Programm " + std::to_string(i) : "";
        Connection& writer = *both[i % 2];
        ASSERT_EQ(writer.post("createticket.php", ticketRequest(question, program)).body, "OK");
        const Clock::time_point acknowledged = Clock::now();
        const auto expected = std::make_pair(total + i + 1, unsolved + i + 1);
        EXPECT_EQ(readCount(writer), expected) << i;
        EXPECT_TRUE(countsWithin(*both[(i + 1) % 2], expected, acknowledged)) << i;
        for (Connection* reader : both) {
            EXPECT_NE(reader->code("gettickets.php").body.find(question), std::string::npos) << i;
            if (!program.empty()) {
                EXPECT_NE(reader->code("getsoftwarelist.php").body.find(program), std::string::npos)
                    << i;
            }
        }
    }
    // A capture moves its ticket from open to solved: the count and the list
    // through the other process follow.
    const int id = ticketId("Zaehlung 0");
    ASSERT_EQ(one.post("createcapture.php", typedSolution(id)).body, "OK");
    EXPECT_TRUE(countsWithin(two, std::make_pair(total + 20, unsolved + 19), Clock::now()));
    const ElementPtr listed = Json::parseText(Utf8::decode(two.code("gettickets.php").body));
    EXPECT_EQ(Json::memberInt(Json::member(listed, String::format(u"%i", id)), u"id_state"), 2);
    expectWholeAndCounted(database);
}

TEST_P(KilledProcess, LosesNoConfirmedTicketAndTheOtherGoesOn) {
    std::atomic<bool> killing{false};
    std::atomic<int> confirmedByFirst{0}, confirmedAfterKill{0};
    struct Worker {
        std::vector<std::string> sent, confirmed;
        int refusedBeforeKill = 0, failedSecond = 0;
    };
    std::vector<Worker> workers(4);
    std::vector<std::thread> threads;
    for (int w = 0; w < 4; ++w) {
        threads.emplace_back([&, w] {
            const bool onFirst = w % 2 == 0;
            Connection connection(onFirst ? first.port() : second.port());
            Worker& me = workers[w];
            for (int i = 0; i < 2000; ++i) {
                const std::string question =
                    "Abbruch " + std::to_string(w) + "-" + std::to_string(i);
                const bool afterKill = killing;
                me.sent.push_back(question);
                const RawReply reply = connection.post("createticket.php", ticketRequest(question));
                if (reply.body == "OK") {
                    me.confirmed.push_back(question);
                    if (onFirst)
                        ++confirmedByFirst;
                    else if (afterKill)
                        ++confirmedAfterKill;
                } else if (onFirst) {
                    me.refusedBeforeKill += !killing;
                    return; // the first process is gone
                } else {
                    ++me.failedSecond;
                }
                if (!onFirst && confirmedAfterKill >= 40)
                    return;
            }
        });
    }
    // Kill the first process while both take tickets.
    for (int i = 0; i < 3000 && confirmedByFirst < 100; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GE(confirmedByFirst.load(), 100);
    killing = true;
    first.stop(SIGKILL);
    for (std::thread& thread : threads)
        thread.join();

    std::set<std::string> sent, stored;
    std::istringstream rows(
        database.query("SELECT question FROM ticket WHERE question LIKE 'Abbruch %'"));
    for (std::string row; std::getline(rows, row);)
        stored.insert(row);
    for (const Worker& worker : workers) {
        sent.insert(worker.sent.begin(), worker.sent.end());
        for (const std::string& question : worker.confirmed)
            EXPECT_TRUE(stored.count(question)) << question << " was confirmed but is not stored";
        EXPECT_EQ(worker.refusedBeforeKill, 0);
        EXPECT_EQ(worker.failedSecond, 0);
    }
    for (const std::string& question : stored)
        EXPECT_TRUE(sent.count(question)) << question;
    EXPECT_GE(confirmedAfterKill.load(), 40);
    EXPECT_EQ(second.stop(), 0);
    // Whatever the killed process had begun is stored whole or not at all.
    expectWholeAndCounted(database);
}

// A PostgreSQL server of this test's own, stopped and started again while the
// service runs.
TEST(PostgresOutage, RequestsInBetweenGetAnErrorAndTheServiceCarriesOnAfterwards) {
    const std::string state = LOTSE_POSTGRES_STATE "/outage-" + std::to_string(getpid());
    auto cluster = [&state](const char* command) {
        return ServiceProcess::run({LOTSE_POSTGRES_CLUSTER, command, state});
    };
    ASSERT_EQ(ServiceProcess::run({LOTSE_POSTGRES_CLUSTER, "start", state, "fsync=off"}), 0);
    struct Removal {
        std::function<void()> run;
        ~Removal() { run(); }
    } removal{[&] { cluster("stop"); }};
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Postgres, state)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    ServiceProcess service;
    service.extraArguments = {"--health-port", "0"};
    ASSERT_TRUE(service.start(database.location())) << service.error();
    Connection connection(service.port());
    // The operator's view: /health follows the database, /metrics counts its failures.
    auto health = [&](const std::string& path) { return plainGet(service.healthPort(), path); };
    EXPECT_EQ(health("/health").status, 200);
    const std::string unavailable = "Fehler: Datenbank nicht verfügbar";
    ASSERT_EQ(connection.post("createticket.php", ticketRequest("vorher")).body, "OK");
    const auto before = readCount(connection);
    ASSERT_GT(before.first, 0);

    ASSERT_EQ(cluster("halt"), 0);
    for (int i = 0; i < 3; ++i) {
        const RawReply counted = connection.code("getticketcnt.php");
        EXPECT_EQ(counted.status, 503);
        EXPECT_EQ(counted.body, unavailable);
        EXPECT_EQ(connection.post("createticket.php", ticketRequest("dazwischen")).body,
                  unavailable);
        EXPECT_EQ(request(service.port(), "/curversion.php", "GET", "").body, "1.0.2");
        EXPECT_EQ(health("/health").status, 503);
    }
    EXPECT_NE(health("/metrics").body.find("\nlotse_database_errors_total 6\n"), std::string::npos);
    ASSERT_EQ(cluster("resume"), 0);
    EXPECT_EQ(health("/health").status, 200);
    EXPECT_EQ(readCount(connection), before); // nothing stored while it was away
    EXPECT_EQ(connection.post("createticket.php", ticketRequest("nachher")).body, "OK");

    // Away and back with nobody asking in between: the connections the server
    // closed are not used again.
    ASSERT_EQ(cluster("halt"), 0);
    ASSERT_EQ(cluster("resume"), 0);
    EXPECT_EQ(readCount(connection), std::make_pair(before.first + 1, before.second + 1));
    EXPECT_EQ(database.query("SELECT question FROM ticket WHERE question IN "
                             "('vorher', 'dazwischen', 'nachher') ORDER BY id"),
              "vorher\nnachher");
    EXPECT_EQ(service.stop(), 0);
}

// Many clients at once, each keeping its connection as Lotse does: every one is
// served, on no more PostgreSQL connections than the operator allows (the
// server refuses any beyond its own limit, and each service process adds its
// share).
TEST(ConnectionLimit, ManyClientsAtOnceAreServedOnTheDatabaseConnectionsAllowed) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Postgres)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    ServiceProcess service;
    service.extraArguments = {"--db-connections", "2"};
    ASSERT_TRUE(service.start(database.location())) << service.error();
    constexpr int clients = 24;
    std::atomic<int> stored{0}, counted{0};
    std::latch together(clients);
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            Connection connection(service.port());
            together.arrive_and_wait();
            stored +=
                connection.post("createticket.php", ticketRequest("Zugleich " + std::to_string(i)))
                    .body == "OK";
            counted += connection.code("getticketcnt.php").status == 200;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(stored.load(), clients);
    EXPECT_EQ(counted.load(), clients);
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket WHERE question LIKE 'Zugleich %'"),
              std::to_string(clients));
    const int open = std::atoi(database
                                   .query("SELECT count(*) FROM pg_stat_activity WHERE datname = "
                                          "current_database() AND pid <> pg_backend_pid()")
                                   .c_str());
    EXPECT_GE(open, 1);
    EXPECT_LE(open, 2);
}
