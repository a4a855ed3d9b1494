#include "app/win/AppKey.h"

#include <gtest/gtest.h>

TEST(AppKey, OpensOnlyAnExistingKeyUnlessAskedToCreateIt) {
    const String name(u"LotseAppKeyTest");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\LotseAppKeyTest");
    EXPECT_EQ(openAppKey(name, false), nullptr); // a missing key is not created

    HKEY created = openAppKey(name, true);
    ASSERT_NE(created, nullptr);
    RegCloseKey(created);
    HKEY opened = openAppKey(name, false);
    EXPECT_NE(opened, nullptr);
    if (opened)
        RegCloseKey(opened);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\LotseAppKeyTest"), ERROR_SUCCESS);
}
