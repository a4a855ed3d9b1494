#include "app/MainWindowTitle.h"

#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(MainWindowTitle, JoinsTitleAndVersionAndLeavesOutEmptyParts) {
    EXPECT_EQ(mainWindowTitle(u"Lotse", u"1.0.2"), String(u"Lotse - 1.0.2"));
    EXPECT_EQ(mainWindowTitle(u"Lotse", String()), String(u"Lotse"));
    EXPECT_EQ(mainWindowTitle(String(), u"1.0.2"), String(u"1.0.2"));
    EXPECT_EQ(mainWindowTitle(String(), String()), String());
}
