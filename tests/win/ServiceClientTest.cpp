#include "service/SoftwareCatalogue.h"
#include "app/win/Lotse.h"
#include "base/win/WideText.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"
#include "service/TicketList.h"
#include "service/TicketPrefetch.h"
#include "tests/StringPrinter.h"
#include "tests/win/WinTestEnvironment.h"

#include "LotseConfig.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// Points the client at the test service for the duration of a test.
class ServiceClientWin : public testing::Test {
  protected:
    void SetUp() override {
        if (WinTestEnvironment::servicePort == 0)
            GTEST_SKIP() << "no test service (--service-port)";
        ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort);
    }
    void TearDown() override { ServiceClient::setServer(LOTSE_SERVICE_HOST, LOTSE_SERVICE_PORT); }
};

} // namespace

// The start-up downloads fill the four lists over WinINet, the tickets on a
// thread of their own, and choose the default language; the service's error
// texts and failures reach the caller.
TEST_F(ServiceClientWin, StartUpDownloadsErrorTextsAndFailures) {
    Lotse& lotse = Lotse::instance();
    auto downloadAsAtStart = [&lotse] {
        TicketPrefetch tickets([] { return TicketList::instance().download(); });
        lotse.downloadCatalogues();
        tickets.finish();
    };
    lotse.mainWindow.model.localeId = 0;
    downloadAsAtStart();
    EXPECT_GT(LocaleCatalogue::instance().count(), 0);
    EXPECT_GT(TicketList::instance().count(), 0);
    EXPECT_GT(SoftwareCatalogue::instance().count(), 0);
    EXPECT_GT(OsCatalogue::instance().count(), 0);
    EXPECT_NE(lotse.mainWindow.model.localeId, 0);
    EXPECT_EQ(lotse.mainWindow.model.localeId, LocaleCatalogue::instance().defaultLocaleId());

    // A wrong access code: the service's short error text is the reply.
    const String refused = ServiceClient::post(u"getoslist.php", u"code=wrong");
    EXPECT_FALSE(refused.empty());
    EXPECT_FALSE(refused.contains(u"{"));

    // Nothing listens on port 1: empty replies, emptied lists, start-up goes on.
    ServiceClient::setServer(u"localhost", 1);
    EXPECT_TRUE(ServiceClient::post(u"getoslist.php", ServiceClient::codeBody()).empty());
    downloadAsAtStart();
    EXPECT_EQ(LocaleCatalogue::instance().count(), 0);
    EXPECT_EQ(TicketList::instance().count(), 0);
    EXPECT_EQ(OsCatalogue::instance().count(), 0);
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort);
    downloadAsAtStart(); // the demo data for later tests
}

// The operating system's version numbers are compared with GetVersionExW by
// the Info dialog's test.
TEST(SystemInfoWin, ReadsTheRunningSystem) {
    // Wine does not implement GetCurrentHwProfileW; the field is then empty.
    HW_PROFILE_INFOW profile{};
    EXPECT_EQ(SystemInfo::hwGuid(),
              GetCurrentHwProfileW(&profile) ? fromWide(profile.szHwProfileGuid) : String());
    wchar_t name[256] = {};
    EXPECT_EQ(SystemInfo::username(),
              fromWide(name, GetEnvironmentVariableW(L"USERNAME", name, 256)));
    EXPECT_FALSE(SystemInfo::osDescription().empty());
}
