// The database as JSON lines: the demo data goes in and comes out byte for
// byte on both stores, and a file the service cannot take leaves nothing behind.

#include "ServiceFixture.h"
#include "server/DataFile.h"
#include "server/Database.h"
#include "server/Schema.h"
#include "server/Store.h"

#include <gtest/gtest.h>

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

std::string exported(Database& db) {
    std::ostringstream out;
    std::string error;
    EXPECT_TRUE(exportData(db, out, error)) << error;
    return out.str();
}

bool isEmpty(Database& db) {
    bool empty = false;
    return Store(db).isEmpty(empty) && empty;
}

} // namespace

TEST(DataFile, DemoDataComesBackByteForByteFromSqliteAndPostgres) {
    const std::string demo = readFile(LOTSE_DEMO_DATA);
    ASSERT_FALSE(demo.empty()) << LOTSE_DEMO_DATA;

    TestDatabase sqliteDatabase, postgresDatabase;
    std::unique_ptr<Database> sqlite = openMigrated(sqliteDatabase, StoreKind::Sqlite);
    std::unique_ptr<Database> postgres = openMigrated(postgresDatabase, StoreKind::Postgres);
    ASSERT_TRUE(sqlite && postgres) << sqliteDatabase.error() << postgresDatabase.error();

    std::string error;
    std::istringstream in(demo);
    ASSERT_TRUE(importData(*sqlite, in, error)) << error;
    const std::string fromSqlite = exported(*sqlite);
    EXPECT_EQ(fromSqlite, demo);

    // Moving from SQLite to PostgreSQL: the same rows, the same bytes.
    std::istringstream moved(fromSqlite);
    ASSERT_TRUE(importData(*postgres, moved, error)) << error;
    EXPECT_EQ(exported(*postgres), demo);

    // New rows continue after the imported ids on both.
    for (Database* db : {sqlite.get(), postgres.get()}) {
        Statement next(*db, "INSERT INTO locale (microsoft_lcid, description) VALUES (1040, "
                            "'Italiano') RETURNING id");
        ASSERT_TRUE(next.step()) << db->error();
        EXPECT_EQ(next.integer(0), 4);
    }
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
            EXPECT_TRUE(isEmpty(*db)) << c.lines;
        }
    }
}
