// The database as JSON lines: the demo data goes in and comes out byte for byte
// (PostgreSQL's export is compared with SQLite's by the admin's export test),
// and a file the service cannot take leaves nothing behind.

#include "ServiceFixture.h"
#include "server/DataFile.h"
#include "server/Database.h"
#include "server/Schema.h"
#include "server/Store.h"

#include <sstream>

namespace {

std::unique_ptr<Database> openMigrated(TestDatabase& database, StoreKind kind) {
    if (!database.create(kind))
        return nullptr;
    std::string error;
    std::unique_ptr<Database> db = Database::open(database.location(), error);
    if (!db || !migrateSchema(*db, error))
        return nullptr;
    return db;
}

} // namespace

TEST(DataFile, DemoDataComesBackByteForByte) {
    const std::string demo = readFile(LOTSE_DEMO_DATA);
    ASSERT_FALSE(demo.empty()) << LOTSE_DEMO_DATA;
    TestDatabase database;
    std::unique_ptr<Database> db = openMigrated(database, StoreKind::Sqlite);
    ASSERT_TRUE(db) << database.error();
    std::string error;
    std::istringstream in(demo);
    ASSERT_TRUE(importData(*db, in, error)) << error;
    std::ostringstream out;
    ASSERT_TRUE(exportData(*db, out, error)) << error;
    EXPECT_EQ(out.str(), demo);
}

TEST(DataFile, ARefusedLineNamesItselfAndLeavesTheDatabaseEmpty) {
    const std::string locale =
        R"({"description":"Deutsch","id":"1","microsoft_lcid":"1031","table":"locale"})";
    const struct {
        std::string lines;
        std::string error;
    } cases[] = {
        {locale + "\n" + R"({"id":"2","table":"planet"})", "line 2: no known \"table\""},
        {locale + "\n\n" + R"({"id":"2","colour":"red","table":"locale"})",
         "line 3: unknown column \"colour\" of locale"},
        {"[1, 2]", "line 1: not a JSON object"},
        {"{\"table\":\"locale\",\"description\":\"\xff\"}", "line 1: not UTF-8"},
        // The database refuses it: the same id twice, or a software of no locale.
        {locale + "\n" + locale, "line 2: "},
        {R"({"file_desc":"x","file_version":"","file_version_full":"","id":"1","id_locale":"9",)"
         R"("module_name":"","product_name":"","table":"software"})",
         "line 1: "},
    };
    for (StoreKind kind : {StoreKind::Sqlite, StoreKind::Postgres}) {
        for (const auto& c : cases) {
            TestDatabase database;
            std::unique_ptr<Database> db = openMigrated(database, kind);
            ASSERT_TRUE(db) << database.error();
            std::istringstream in(c.lines);
            std::string error;
            EXPECT_FALSE(importData(*db, in, error)) << c.lines;
            EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
            db->clearError();
            bool empty = false;
            EXPECT_TRUE(Store(*db).isEmpty(empty) && empty) << c.lines;
        }
    }
}
