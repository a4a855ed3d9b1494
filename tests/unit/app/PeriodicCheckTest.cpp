#include "app/PeriodicCheck.h"

#include <gtest/gtest.h>

TEST(PeriodicCheck, FirstPassIsDueThenOncePerIntervalAfterItHasPassed) {
    PeriodicCheck check(60000);
    EXPECT_TRUE(check.due(0)); // also at clock value 0
    EXPECT_FALSE(check.due(1));
    EXPECT_FALSE(check.due(60000)); // due only once the interval has passed
    EXPECT_TRUE(check.due(60001));
    EXPECT_FALSE(check.due(120000));
    EXPECT_TRUE(check.due(500000)); // a long pause (modal dialog) gives one check
    EXPECT_FALSE(check.due(500001));
}

TEST(PeriodicCheck, KeepsItsRhythmAcrossTheClockWrap) {
    PeriodicCheck check(60000);
    const uint32_t nearWrap = 0xFFFFFFFFu - 30000; // next time lies past the wrap
    EXPECT_TRUE(check.due(nearWrap));
    // Neither a check on every pass before the wrap...
    EXPECT_FALSE(check.due(nearWrap + 10));
    EXPECT_FALSE(check.due(0xFFFFFFFFu));
    // ...nor weeks without one after it.
    EXPECT_FALSE(check.due(29999));
    EXPECT_TRUE(check.due(30000));
    EXPECT_FALSE(check.due(30001));

    PeriodicCheck late(60000);
    EXPECT_TRUE(late.due(0xFFFFFFFFu - 100000)); // next time just before the wrap
    EXPECT_FALSE(late.due(0xFFFFFFFFu - 50000));
    EXPECT_TRUE(late.due(5)); // the clock wrapped meanwhile: overdue, not far away
}
