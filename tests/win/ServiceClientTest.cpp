#include "service/SoftwareCatalogue.h"
#include "app/win/Lotse.h"
#include "base/win/WideText.h"
#include "service/CreateTicketRequest.h"
#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"
#include "service/TicketList.h"
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

// A question that is unique to this run and holds every character that the
// form encoding and the JSON escaping must carry: umlauts, a line break,
// quotes, ampersand, equals sign, spaces, a backslash and a character outside
// the Basic Multilingual Plane.
String uniqueQuestion() {
    return String::format(u"Wie \u00e4ndere ich \"R\u00e4nder\" & Abst\u00e4nde = 2 cm?\n"
                          u"Zweite Zeile \u00dc\u00f6\u00df \U0001F600 Lauf %u",
                          static_cast<unsigned>(GetTickCount()));
}

} // namespace

// The ticket list shows a stored question exactly as it was asked.
TEST_F(ServiceClientWin, DocumentRoundTripThroughTheService) {
    const String question = uniqueQuestion();
    SoftwareEntry software;
    software.id = 8; // Firefox in the demo data
    software.file_desc = u"Firefox";
    software.module_name = u"firefox.exe";
    ASSERT_EQ(CreateTicketRequest::forThisComputer(question, software, 1).send(), String(u"OK"));
    TicketList stored;
    stored.download();
    int found = 0;
    for (const auto& [id, ticket] : stored)
        found += ticket.question == question ? 1 : 0;
    EXPECT_EQ(found, 1);
}

// The start-up downloads fill the four lists over WinINet and choose the
// default language; the service's error texts and failures reach the caller.
TEST_F(ServiceClientWin, StartUpDownloadsErrorTextsAndFailures) {
    Lotse& lotse = Lotse::instance();
    lotse.mainWindow.model.localeId = 0;
    lotse.downloadCatalogues();
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
    // The version check goes out as GET without a body.
    EXPECT_EQ(
        ServiceClient::send(ServiceClient::host(), u"curversion.php", String(), String(), u"GET"),
        String(u"1.0.2"));

    // Nothing listens on port 1: empty replies, emptied lists, start-up goes on.
    ServiceClient::setServer(u"localhost", 1);
    EXPECT_TRUE(ServiceClient::post(u"getoslist.php", ServiceClient::codeBody()).empty());
    lotse.downloadCatalogues();
    EXPECT_EQ(LocaleCatalogue::instance().count(), 0);
    EXPECT_EQ(TicketList::instance().count(), 0);
    EXPECT_EQ(OsCatalogue::instance().count(), 0);
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort);
    lotse.downloadCatalogues(); // the demo data for later tests
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
