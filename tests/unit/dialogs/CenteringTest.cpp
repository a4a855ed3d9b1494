#include "dialogs/Centering.h"

#include <gtest/gtest.h>

TEST(Centering, HalvesEachSideByShiftingAndAllowsNegativeOrigins) {
    Origin even = centeredOrigin(1280, 1024, 400, 300);
    EXPECT_EQ(even.x, 440);
    EXPECT_EQ(even.y, 362);

    // Odd sizes: each half rounds down separately (641 - 100 and 512 - 50).
    Origin odd = centeredOrigin(1283, 1025, 201, 101);
    EXPECT_EQ(odd.x, 541);
    EXPECT_EQ(odd.y, 462);

    // A window larger than the screen reaches over both edges equally.
    Origin large = centeredOrigin(800, 600, 1000, 700);
    EXPECT_EQ(large.x, -100);
    EXPECT_EQ(large.y, -50);
}
