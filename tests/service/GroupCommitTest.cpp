// Write requests that share one transaction and one flush (GroupCommit): a
// request that fails inside its group is refused alone, and none is answered
// before its commit is on the disk.

#include "LogFlushWatch.h"
#include "ServiceFixture.h"
#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/GroupCommit.h"
#include "server/Store.h"

#include <atomic>
#include <thread>

namespace {

// A ticket of the demo data's first language and software; false when the
// store refused it.
bool storeTicket(Database& db, const std::string& question) {
    NewTicket ticket;
    ticket.question = question;
    ticket.idLocale = 1;
    ticket.swId = 6;
    ticket.os = OsRow{0, 2, 6, 2, 19045, "Windows 10 Pro"};
    int64_t id = 0;
    return Store(db).createTicket(ticket, id) == StoreResult::Ok;
}

} // namespace

TEST(GroupCommit, ARequestFailingInsideItsGroupIsRefusedAloneAndTheOthersAreStored) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Sqlite)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    const std::string before = database.query("SELECT count(*) FROM ticket");

    GroupCommit group(ServiceReply::text("refused", 503));
    // One connection is enough: only the request that commits a group holds one.
    ConnectionPool pool(database.location(), 1);
    constexpr int requests = 12;
    // Faults of the two kinds: a statement of the request fails after it wrote
    // its ticket (its savepoint goes), and a failure that ends the whole
    // transaction (the group runs again without it, and it once more alone):
    // every time, or only while it shares the transaction (as a deadlock with
    // another process's group would).
    constexpr int failsStatement = 4, endsTransaction = 9, endsSharedTransaction = 10;
    std::atomic<int> entered{0};
    std::atomic<bool> endedShared{false};
    std::atomic<bool> firstRan{false};
    std::vector<ServiceReply> replies(requests);
    std::vector<std::thread> threads;
    for (int i = 0; i < requests; ++i) {
        threads.emplace_back([&, i] {
            // The first request runs alone and holds its group until every
            // other request waits: those then form one group together.
            while (i > 0 && !firstRan)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ++entered;
            replies[i] = group.run(pool, [&, i](Database& db) {
                if (i == 0 && !firstRan.exchange(true)) {
                    while (entered < requests)
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                }
                Transaction own(db);
                if (!storeTicket(db, "Gruppe " + std::to_string(i)))
                    return ServiceReply::text("not stored", 503);
                if (i == failsStatement)
                    db.exec("INSERT INTO locale (id) VALUES (NULL)");
                if (i == endsTransaction ||
                    (i == endsSharedTransaction && !endedShared.exchange(true))) {
                    db.exec("ROLLBACK");
                }
                return own.commit() ? ServiceReply::text("OK") : ServiceReply::text("failed", 503);
            });
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    for (int i = 0; i < requests; ++i) {
        const bool fails = i == failsStatement || i == endsTransaction;
        EXPECT_EQ(replies[i].body, fails ? (i == failsStatement ? "failed" : "refused") : "OK")
            << i;
        EXPECT_EQ(database.query("SELECT count(*) FROM ticket WHERE question = 'Gruppe " +
                                 std::to_string(i) + "'"),
                  fails ? "0" : "1")
            << i;
    }
    // The first request alone, then all the others in one group.
    EXPECT_EQ(group.groups(), 2u);
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket"),
              std::to_string(std::stoi(before) + requests - 2));
    // Nothing half-written, and the counters kept in the same transactions agree.
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket t WHERE NOT EXISTS "
                             "(SELECT 1 FROM ticket_software s WHERE s.id_ticket = t.id)"),
              "0");
    EXPECT_EQ(database.query("SELECT sum(tickets), sum(unsolved) FROM service_counter"),
              database.query("SELECT count(*), count(CASE WHEN id_state = 1 THEN 1 END) "
                             "FROM ticket"));
}

// "OK" promises that a power loss keeps the change: its commit's log is flushed
// before the reply, in a group and in a write of its own alike.
TEST(GroupCommit, AWriteIsFlushedToTheDiskBeforeItIsAnswered) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Sqlite)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    LogFlushWatch watch;
    ConnectionPool pool(database.location(), 2);
    GroupCommit group(ServiceReply::text("refused", 503));
    for (int i = 0; i < 3; ++i) {
        const int before = watch.logWrites();
        const ServiceReply reply = group.run(pool, [&](Database& db) {
            return storeTicket(db, "Stromausfall " + std::to_string(i))
                       ? ServiceReply::text("OK")
                       : ServiceReply::text("not stored", 503);
        });
        EXPECT_EQ(reply.body, "OK");
        EXPECT_GT(watch.logWrites(), before) << i;
        EXPECT_EQ(watch.unflushedLogWrites(), 0) << i;
    }
    ConnectionPool::Lease lease = pool.acquire();
    ASSERT_TRUE(lease.get());
    const int before = watch.logWrites();
    Transaction own(*lease.get());
    EXPECT_TRUE(lease.get()->exec("UPDATE ticket SET username = 'x' WHERE id = 1"));
    EXPECT_TRUE(own.commit());
    EXPECT_GT(watch.logWrites(), before);
    EXPECT_EQ(watch.unflushedLogWrites(), 0);
}
