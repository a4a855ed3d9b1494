// The service as a program: command line, seeding, storage settings and shutdown.

#include "../StringPrinter.h"
#include "ServiceFixture.h"
#include "server/Schema.h"

namespace {

class EmptyService : public ServiceFixture {
  protected:
    bool seedDemo() const override { return false; }
};

using Service = ServiceFixture;
INSTANTIATE_TEST_SUITE_P(Stores, Service, bothStores(), storeName);
INSTANTIATE_TEST_SUITE_P(Stores, EmptyService, bothStores(), storeName);

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
    // A database that cannot be opened (PostgreSQL's: ServiceLog's test).
    EXPECT_EQ(
        ServiceProcess::run({LOTSE_SERVICE_EXE, "--db", "/nonexistent/dir/x.db", "--seed-demo"}),
        1);
}

TEST_P(Service, SeedingAgainLeavesDataAloneAndTheSchemaIsCurrent) {
    const std::string before = database.dump();
    EXPECT_TRUE(ServiceProcess::seed(database.location()));
    EXPECT_EQ(database.dump(), before);
    EXPECT_EQ(database.query(GetParam() == StoreKind::Sqlite
                                 ? "PRAGMA user_version"
                                 : "SELECT version FROM schema_version"),
              std::to_string(currentSchemaVersion()));
}

TEST_P(EmptyService, ServesEmptyListsAndRefusesTicketsWithoutLanguages) {
    for (const char16_t* list : {u"getlocalelist.php", u"gettickets.php", u"getsoftwarelist.php"})
        EXPECT_EQ(postCode(list), String(u"{}")) << utf8(list);
    EXPECT_EQ(postCode(u"getticketcnt.php"), String(u"{\"total\":\"0\",\"unsolved\":\"0\"}"));
    // No languages yet: nothing can be filed.
    Members members = ticketMembers(u"Frage");
    members[u"sw_id"] = u"0";
    EXPECT_EQ(postDocument(u"createticket.php", document(members)),
              String(u"Fehler: unbekannte Sprache"));
    EXPECT_EQ(database.query("SELECT count(*) FROM software"), "0");
}
