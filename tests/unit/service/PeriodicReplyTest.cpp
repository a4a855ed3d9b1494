#include "service/SolvedTicketCheck.h"
#include "service/TicketCount.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(TicketCount, MissingMembersReadAsZeroAndFailuresChangeNothing) {
    // Missing members read as 0 (as many tickets as in memory, 0); the other
    // replies leave the count as it is.
    const std::pair<const char16_t*, const char16_t*> cases[] = {{u"{\"other\":\"1\"}", u"0"},
                                                                 {u"", nullptr},
                                                                 {u"{}", nullptr},
                                                                 {u"OK", nullptr},
                                                                 {u"<html>error</html>", nullptr}};
    for (const auto& [reply, shown] : cases) {
        const TicketCountUpdate update = decideTicketCount(reply, shown ? 0 : 5);
        EXPECT_EQ(update.show, shown != nullptr) << Utf8::encode(reply);
        EXPECT_EQ(update.unsolvedText, String(shown)) << Utf8::encode(reply);
        EXPECT_FALSE(update.reload) << Utf8::encode(reply);
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
