#include "app/SoftwareCatalogue.h"
#include "app/win/Lotse.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"
#include "service/TicketList.h"
#include "tests/win/WinTestEnvironment.h"

#include <gtest/gtest.h>

TEST(StartUpDownloads, FillTheFourCataloguesAndChooseTheDefaultLanguage) {
    if (WinTestEnvironment::servicePort() == 0)
        GTEST_SKIP() << "needs --service-port";
    const String savedHost = ServiceClient::host();
    const int savedPort = ServiceClient::port();
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
    Lotse& lotse = Lotse::instance();
    lotse.mainWindow.model.localeId = 0;

    lotse.downloadCatalogues();
    EXPECT_GT(LocaleCatalogue::instance().count(), 0);
    EXPECT_GT(TicketList::instance().count(), 0);
    EXPECT_GT(SoftwareCatalogue::instance().count(), 0);
    EXPECT_GT(OsCatalogue::instance().count(), 0);
    EXPECT_NE(lotse.mainWindow.model.localeId, 0);
    EXPECT_EQ(lotse.mainWindow.model.localeId, LocaleCatalogue::instance().defaultLocaleId());

    // Without the service the catalogues end up empty and start-up goes on.
    ServiceClient::setServer(u"localhost", 1);
    lotse.downloadCatalogues();
    EXPECT_EQ(LocaleCatalogue::instance().count(), 0);
    EXPECT_EQ(TicketList::instance().count(), 0);
    EXPECT_EQ(OsCatalogue::instance().count(), 0);

    ServiceClient::setServer(savedHost, savedPort);
    lotse.downloadCatalogues(); // leave the demo data for later tests
}
