// Write requests that share one transaction and one flush (GroupCommit, and
// TicketBatch for new tickets on PostgreSQL): a request that fails inside its
// group is refused alone, and none is answered before its commit is on the
// disk.

#include "LogFlushWatch.h"
#include "ServiceFixture.h"
#include "server/ConnectionPool.h"
#include "server/Database.h"
#include "server/GroupCommit.h"
#include "server/Store.h"
#include "server/TicketBatch.h"

#include <atomic>
#include <chrono>
#include <new>
#include <thread>

namespace {

// A ticket of the demo data's first language and software.
NewTicket newTicket(const std::string& question) {
    NewTicket ticket;
    ticket.question = question;
    ticket.idLocale = 1;
    ticket.swId = 6;
    ticket.os = OsRow{0, 2, 6, 2, 19045, "Windows 10 Pro"};
    return ticket;
}

// False when the store refused it.
bool storeTicket(Database& db, const std::string& question) {
    int64_t id = 0;
    return Store(db).createTicket(newTicket(question), id) == StoreResult::Ok;
}

bool waitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 2000; ++i) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

struct Written {
    StoreResult result = StoreResult::Failed;
    int64_t id = 0;
};

// Writes the tickets through `batch`, the first alone while the ticket table
// is locked, so that the others wait behind it in their order and then go in
// one group.
std::vector<Written> writeQueued(TestDatabase& database, TicketBatch& batch,
                                 const std::vector<NewTicket>& tickets) {
    ConnectionPool pool(database.location(), 2), holder(database.location(), 1);
    ConnectionPool::Lease hold = holder.acquire();
    std::vector<Written> written(tickets.size());
    if (!hold.get())
        return written;
    Transaction lock(*hold.get());
    hold.get()->exec("LOCK TABLE ticket IN EXCLUSIVE MODE");
    const std::string address = "192.0.2.7";
    std::vector<std::thread> threads;
    for (size_t i = 0; i < tickets.size(); ++i) {
        threads.emplace_back(
            [&, i] { written[i].result = batch.create(pool, tickets[i], address, written[i].id); });
        if (i == 0) {
            // pg_locks shows the whole server's locks, the other tests' too.
            EXPECT_TRUE(waitFor([&] {
                return database.query("SELECT count(*) FROM pg_locks WHERE NOT granted AND "
                                      "relation = 'ticket'::regclass AND database = (SELECT oid "
                                      "FROM pg_database WHERE datname = current_database())") ==
                       "1";
            }));
        } else {
            EXPECT_TRUE(waitFor([&] { return batch.waiting() == i; })) << i;
        }
    }
    lock.commit();
    for (std::thread& thread : threads)
        thread.join();
    return written;
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
    expectWholeAndCounted(database);
}

// An exception inside a group's work refuses the group and leaves the next
// group to be served, instead of every later write waiting for ever.
TEST(GroupCommit, AGroupEndedByAnExceptionIsRefusedAndTheNextOneIsServed) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Sqlite)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    ConnectionPool pool(database.location(), 1);
    GroupCommit group(ServiceReply::text("refused", 503));
    const ServiceReply thrown = group.run(pool, [](Database& db) -> ServiceReply {
        storeTicket(db, "Ausnahme");
        throw std::bad_alloc();
    });
    EXPECT_EQ(thrown.body, "refused");
    const ServiceReply next = group.run(pool, [](Database& db) {
        return ServiceReply::text(storeTicket(db, "Danach") ? "OK" : "not stored");
    });
    EXPECT_EQ(next.body, "OK");
    EXPECT_EQ(
        database.query("SELECT question FROM ticket WHERE question IN ('Ausnahme', 'Danach')"),
        "Danach");
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

// A commit whose flush to the disk fails is no "OK": its requests are refused,
// nothing of them is kept, and the next write is stored and flushed as usual.
TEST(GroupCommit, AWriteWhoseFlushFailsIsRefusedAndTheNextIsStored) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Sqlite)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    LogFlushWatch watch;
    ConnectionPool pool(database.location(), 1);
    GroupCommit group(ServiceReply::text("refused", 503));
    auto store = [&](const std::string& question) {
        return group
            .run(pool,
                 [&](Database& db) {
                     return storeTicket(db, question) ? ServiceReply::text("OK")
                                                      : ServiceReply::text("not stored", 503);
                 })
            .body;
    };
    // The log exists from here on, so the next flush of it is the commit's.
    ASSERT_EQ(store("Vorher"), "OK");
    watch.failFlush(1);
    EXPECT_EQ(store("Platte voll"), "refused");
    EXPECT_EQ(store("Danach"), "OK");
    EXPECT_EQ(watch.unflushedLogWrites(), 0);
    EXPECT_EQ(database.query("SELECT group_concat(question) FROM ticket WHERE question IN "
                             "('Platte voll', 'Danach')"),
              "Danach");
}

// New tickets on PostgreSQL that wait together go in one call and one
// transaction, each with the result it would get alone, and their texts arrive
// as sent whatever they hold; a group larger than a call takes goes in two.
TEST(TicketBatch, TicketsWaitingTogetherAreWrittenInOneTransactionEachWithItsOwnResult) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Postgres)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    std::vector<NewTicket> tickets = {
        newTicket("Vorne"),
        newTicket("Anführungszeichen \" und \\ Rückstrich, \n, \t, \x01 und 😀"),
        newTicket("Unbekannte Sprache"),
        newTicket("Unbekanntes Programm"),
        newTicket("Neues Programm"),
        newTicket("Zuletzt"),
    };
    tickets[2].idLocale = 999;
    tickets[3].swId = 99999;
    tickets[4].swId = 0;
    tickets[4].swFileDesc = "Stapelschreiber";
    tickets[4].swModuleName = "stapel.exe";
    const size_t firstCall = 1 + TicketBatch::maxTickets;
    while (tickets.size() < firstCall + 3)
        tickets.push_back(newTicket("Weitere " + std::to_string(tickets.size())));
    TicketBatch batch;
    const std::vector<Written> written = writeQueued(database, batch, tickets);

    EXPECT_EQ(batch.groups(), 2u);
    std::string ids, secondIds;
    for (size_t i = 0; i < tickets.size(); ++i) {
        const StoreResult expected = i == 2   ? StoreResult::UnknownLocale
                                     : i == 3 ? StoreResult::UnknownSoftware
                                              : StoreResult::Ok;
        EXPECT_EQ(written[i].result, expected) << i;
        if (written[i].result != StoreResult::Ok)
            continue;
        const std::string id = std::to_string(written[i].id);
        EXPECT_EQ(database.query("SELECT question, client_address FROM ticket WHERE id = " + id),
                  tickets[i].question + "|192.0.2.7");
        std::string& call = i < firstCall ? ids : secondIds;
        if (i > 0)
            call += (call.empty() ? "" : ",") + id;
    }
    auto transactions = [&](const std::string& idList) {
        return database.query("SELECT count(DISTINCT xmin::text) FROM ticket WHERE id IN (" +
                              idList + ")");
    };
    EXPECT_EQ(transactions(ids), "1");
    EXPECT_EQ(transactions(secondIds), "1");
    EXPECT_EQ(transactions(ids + "," + secondIds), "2");
    EXPECT_EQ(database.query("SELECT s.module_name FROM ticket_software l JOIN software s ON "
                             "s.id = l.id_software WHERE l.id_ticket = " +
                             std::to_string(written[4].id)),
              "stapel.exe");
    expectWholeAndCounted(database);
}

TEST(TicketBatch, ATicketFailingInsideItsGroupIsRefusedAloneAndTheOthersAreStored) {
    TestDatabase database;
    ASSERT_TRUE(database.create(StoreKind::Postgres)) << database.error();
    ASSERT_TRUE(ServiceProcess::seed(database.location()));
    const std::string before = database.query("SELECT count(*) FROM ticket");
    // Faults inside the group's call: one ticket fails every time, one only
    // the first time (as a deadlock with another process's group would).
    {
        ConnectionPool pool(database.location(), 1);
        ConnectionPool::Lease lease = pool.acquire();
        ASSERT_TRUE(lease.get());
        ASSERT_TRUE(lease.get()->exec(R"sql(
            CREATE SEQUENCE fault_once;
            CREATE FUNCTION injected_fault() RETURNS trigger LANGUAGE plpgsql AS $f$
            BEGIN
                IF NEW.question = 'Gruppe 6'
                        OR (NEW.question = 'Gruppe 2' AND nextval('fault_once') = 1) THEN
                    RAISE EXCEPTION 'injected fault';
                END IF;
                RETURN NEW;
            END $f$;
            CREATE TRIGGER injected_fault BEFORE INSERT ON ticket
                FOR EACH ROW EXECUTE FUNCTION injected_fault();
        )sql"))
            << lease.get()->error();
    }
    std::vector<NewTicket> tickets;
    for (int i = 0; i < 9; ++i)
        tickets.push_back(newTicket("Gruppe " + std::to_string(i)));
    TicketBatch batch;
    const std::vector<Written> written = writeQueued(database, batch, tickets);

    EXPECT_EQ(batch.groups(), 2u);
    for (size_t i = 0; i < tickets.size(); ++i) {
        EXPECT_EQ(written[i].result, i == 6 ? StoreResult::Failed : StoreResult::Ok) << i;
        EXPECT_EQ(database.query("SELECT count(*) FROM ticket WHERE question = '" +
                                 tickets[i].question + "'"),
                  i == 6 ? "0" : "1")
            << i;
    }
    EXPECT_EQ(database.query("SELECT count(*) FROM ticket"), std::to_string(std::stoi(before) + 8));
    expectWholeAndCounted(database);
}
