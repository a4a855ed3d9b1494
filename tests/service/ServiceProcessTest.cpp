// The service as a program: command line, seeding, storage settings, shutdown
// and many requests at once.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "server/Schema.h"

#include <atomic>

namespace {

class EmptyService : public ServiceFixture {
  protected:
    bool seedDemo() const override { return false; }
};

using Service = ServiceFixture;

} // namespace

TEST(ServiceCommandLine, RefusesIncompleteOrUnknownOptions) {
    const std::vector<std::vector<std::string>> refused = {
        {},
        {"--db"},
        {"--db", "/tmp/x.db", "--port", "443"},
        {"--db", "/tmp/x.db", "--port", "70000", "--cert", "c", "--key", "k"},
        {"--db", "/tmp/x.db", "--verbose"},
        {"--db", "/tmp/x.db", "--port", "0", "--cert", "c", "--key", "k", "--current-version", ""}};
    for (std::vector<std::string> args : refused) {
        args.insert(args.begin(), LOTSE_SERVICE_EXE);
        EXPECT_EQ(ServiceProcess::run(args), 2) << args.size();
    }
    // A database that cannot be opened.
    EXPECT_EQ(
        ServiceProcess::run({LOTSE_SERVICE_EXE, "--db", "/nonexistent/dir/x.db", "--seed-demo"}),
        1);
}

TEST_F(Service, SeedingAgainLeavesDataAloneAndStorageIsWalWithCurrentSchema) {
    const std::string before = dumpTables(service.databasePath());
    EXPECT_EQ(
        ServiceProcess::run({LOTSE_SERVICE_EXE, "--db", service.databasePath(), "--seed-demo"}), 0);
    EXPECT_EQ(dumpTables(service.databasePath()), before);
    EXPECT_EQ(queryText(service.databasePath(), "PRAGMA journal_mode"), "wal");
    EXPECT_EQ(queryText(service.databasePath(), "PRAGMA user_version"),
              std::to_string(currentSchemaVersion()));
}

TEST_F(EmptyService, ServesEmptyListsAndRefusesTicketsWithoutLanguages) {
    EXPECT_EQ(postCode(u"getlocalelist.php"), String(u"{}"));
    EXPECT_EQ(postCode(u"gettickets.php"), String(u"{}"));
    EXPECT_EQ(postCode(u"getsoftwarelist.php"), String(u"{}"));
    EXPECT_EQ(postCode(u"getticketcnt.php"), String(u"{\"total\":\"0\",\"unsolved\":\"0\"}"));
    // No languages yet: nothing can be filed.
    Members members = ticketMembers(u"Frage");
    members[u"sw_id"] = u"0";
    EXPECT_EQ(postDocument(u"createticket.php", document(members)),
              String(u"Fehler: unbekannte Sprache"));
    EXPECT_EQ(queryText(service.databasePath(), "SELECT count(*) FROM software"), "0");
}

TEST_F(Service, StopsCleanlyOnSigintToo) {
    const int port = service.port();
    // The fixture's teardown stops with SIGTERM; here SIGINT ends a second one,
    // and the first one goes on serving.
    ServiceProcess other;
    ASSERT_TRUE(other.start(false)) << other.error();
    EXPECT_NE(other.port(), port);
    EXPECT_EQ(other.stop(SIGINT), 0);
    ServiceClient::setServer(u"localhost", port);
    EXPECT_EQ(Json::memberInt(postCodeParsed(u"getticketcnt.php"), u"total"), 67);
}

TEST_F(Service, ManyRequestsAtOnceAllSucceed) {
    const int totalBefore = Json::memberInt(postCodeParsed(u"getticketcnt.php"), u"total");
    constexpr int threads = 6;
    constexpr int perThread = 15;
    std::atomic<int> created{0};
    std::atomic<int> readsOk{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &created, &readsOk] {
            for (int i = 0; i < perThread; ++i) {
                const String question = String::format(u"Frage %i von Faden %i", i, t);
                if (postDocument(u"createticket.php", document(ticketMembers(question))) ==
                    String(u"OK"))
                    ++created;
                if (Json::memberInt(postCodeParsed(u"getticketcnt.php"), u"total") > 0)
                    ++readsOk;
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(created.load(), threads * perThread);
    EXPECT_EQ(readsOk.load(), threads * perThread);
    EXPECT_EQ(Json::memberInt(postCodeParsed(u"getticketcnt.php"), u"total"),
              totalBefore + threads * perThread);
}
