#include "automation/Mnemonic.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(Mnemonic, DropsTheMarkerAndKeepsDoubledAmpersands) {
    EXPECT_EQ(withoutMnemonic(u"&OK"), String(u"OK"));
    EXPECT_EQ(withoutMnemonic(u"&New Task..."), String(u"New Task..."));
    EXPECT_EQ(withoutMnemonic(u"Save && &Close"), String(u"Save & Close"));
    EXPECT_EQ(withoutMnemonic(u"&&&&"), String(u"&&"));
    EXPECT_EQ(withoutMnemonic(u"&&&x"), String(u"&x"));
    EXPECT_EQ(withoutMnemonic(u"End&"), String(u"End"));
    EXPECT_EQ(withoutMnemonic(u""), String());
    EXPECT_EQ(withoutMnemonic(u"Plain"), String(u"Plain"));
}
