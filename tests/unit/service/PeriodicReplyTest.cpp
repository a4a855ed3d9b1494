#include "service/SolvedTicketCheck.h"
#include "service/TicketCount.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(TicketCount, MissingMembersReadAsZeroAndFailuresChangeNothing) {
    struct Case {
        const char16_t* reply;
        int inMemory;
        const char16_t* shown; // null: nothing changes
        bool reload;
    };
    const Case cases[] = {{u"{\"other\":\"1\"}", 0, u"0", false}, // missing members read as 0
                          {u"", 5, nullptr, false},
                          {u"{}", 5, nullptr, false},
                          {u"OK", 5, nullptr, false},
                          {u"<html>error</html>", 5, nullptr, false}};
    for (const Case& c : cases) {
        const TicketCountUpdate update = decideTicketCount(c.reply, c.inMemory);
        EXPECT_EQ(update.show, c.shown != nullptr) << &c - cases;
        EXPECT_EQ(update.unsolvedText, String(c.shown)) << &c - cases;
        EXPECT_EQ(update.reload, c.reload) << &c - cases;
    }
}

TEST(SolvedTicketCheck, RepliesNameTheTicketsToAnnounce) {
    // "OK" and other short texts holding it: nothing was solved, nothing reloads.
    for (const char16_t* nothing : {u"OK", u"OK\n", u" OK "}) {
        SolvedTicketReport r = readSolvedTicketReply(nothing);
        EXPECT_FALSE(r.reload) << String(nothing).length();
        EXPECT_TRUE(r.ticketIds.empty());
    }
    // An empty object, a failed exchange, an error text: nothing either.
    for (const char16_t* nothing : {u"{}", u"", u"Fehler: falscher Code"})
        EXPECT_FALSE(readSolvedTicketReply(nothing).reload) << String(nothing).length();

    SolvedTicketReport r = readSolvedTicketReply(u"{\"15\":\"x\",\"12\":\"y\"}");
    EXPECT_TRUE(r.reload);
    EXPECT_EQ(r.ticketIds, (std::vector<int>{12, 15}));
    // Keys that are no positive numbers still reload, but announce nothing.
    r = readSolvedTicketReply(u"{\"0\":\"\",\"abc\":\"\",\"-3\":\"\"}");
    EXPECT_TRUE(r.reload);
    EXPECT_TRUE(r.ticketIds.empty());
    // Key order, not the order of the text; values are not read.
    r = readSolvedTicketReply(u"{\"7\":{},\"10\":\"\"}");
    EXPECT_EQ(r.ticketIds, (std::vector<int>{10, 7}));
}
