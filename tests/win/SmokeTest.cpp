#include <windows.h>

#include <gtest/gtest.h>

TEST(Smoke, IconResourceLoads) {
    EXPECT_NE(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(121)), nullptr);
}
