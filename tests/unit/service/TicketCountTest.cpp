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
