#include "app/ExecutableName.h"

#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(ExecutableName, CutsAfterLastSlashOrElseAfterLastBackslash) {
    EXPECT_EQ(executableName(u"C:\\Program Files\\Lotse\\lotse.exe"), String(u"lotse.exe"));
    EXPECT_EQ(executableName(u"/opt/lotse/lotse.exe"), String(u"lotse.exe"));
    // A forward slash wins even when a backslash comes after it.
    EXPECT_EQ(executableName(u"C:/Tools\\Lotse\\lotse.exe"), String(u"Tools\\Lotse\\lotse.exe"));
    EXPECT_EQ(executableName(u"lotse.exe"), String(u"lotse.exe"));
    EXPECT_EQ(executableName(u"C:\\Lotse\\"), String());
    EXPECT_EQ(executableName(String()), String());
}
