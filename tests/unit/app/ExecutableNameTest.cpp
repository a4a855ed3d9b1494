#include "app/ExecutableName.h"

#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(ExecutableName, CutsAfterTheLastSeparatorOfEitherKind) {
    EXPECT_EQ(executableName(u"C:\\Program Files\\Lotse\\lotse.exe"), String(u"lotse.exe"));
    EXPECT_EQ(executableName(u"/opt/lotse/lotse.exe"), String(u"lotse.exe"));
    // Mixed separators: the name names a mutex, which takes no backslash.
    EXPECT_EQ(executableName(u"C:/Tools\\Lotse\\lotse.exe"), String(u"lotse.exe"));
    EXPECT_EQ(executableName(u"C:\\Tools/Lotse/lotse.exe"), String(u"lotse.exe"));
    EXPECT_EQ(executableName(u"lotse.exe"), String(u"lotse.exe"));
    EXPECT_EQ(executableName(u"C:\\Lotse\\"), String());
    EXPECT_EQ(executableName(String()), String());
}
