#include "service/TicketCount.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(TicketCount, ShowsUnsolvedAndReloadsWhenTheTotalDiffers) {
    const String reply = u"{\"unsolved\":\"12\",\"total\":\"340\"}";
    TicketCountUpdate same = decideTicketCount(reply, 340);
    EXPECT_TRUE(same.show);
    EXPECT_EQ(same.unsolvedText, String(u"12"));
    EXPECT_FALSE(same.reload);

    TicketCountUpdate fewer = decideTicketCount(reply, 339);
    EXPECT_TRUE(fewer.show);
    EXPECT_TRUE(fewer.reload);
    EXPECT_EQ(fewer.total, 340);

    // Missing members read as 0.
    TicketCountUpdate partial = decideTicketCount(u"{\"other\":\"1\"}", 0);
    EXPECT_TRUE(partial.show);
    EXPECT_EQ(partial.unsolvedText, String(u"0"));
    EXPECT_FALSE(partial.reload);
}

TEST(TicketCount, FailedRequestChangesNothing) {
    for (const char16_t* reply : {u"", u"{}", u"OK", u"<html>error</html>"}) {
        TicketCountUpdate update = decideTicketCount(reply, 5);
        EXPECT_FALSE(update.show) << static_cast<const void*>(reply);
        EXPECT_FALSE(update.reload);
    }
}
