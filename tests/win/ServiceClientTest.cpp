#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"
#include "tests/win/WinTestEnvironment.h"

#include "LotseConfig.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string ascii(const String& s) {
    std::string out;
    for (int i = 0; i < s.length(); ++i)
        out += s[i] < 0x80 ? static_cast<char>(s[i]) : '?';
    return out;
}

// Points the client at the test service for the duration of a test.
class ServiceClientWin : public testing::Test {
  protected:
    void SetUp() override {
        if (WinTestEnvironment::servicePort() == 0)
            GTEST_SKIP() << "no test service (--service-port)";
        ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
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

// The first id of a list reply, 0 when there is none.
int firstId(const String& reply) {
    const ElementPtr document = Json::parseText(reply);
    const Json::ElementMap* root = Json::asMap(document);
    if (!root || root->members.empty())
        return 0;
    return root->members.begin()->first.toInt();
}

} // namespace

// What send() puts on the wire for a document body, built by this compiler.
TEST(ServiceClientWire, DocumentBodyBytes) {
    ElementPtr doc = Json::makeRoot();
    Json::ElementMap::setString(doc, u"question", u"Gr\u00fc\u00dfe\n\"a\" & b=c");
    const std::string bytes = ServiceClient::bodyBytes(ServiceClient::documentBody(doc));
    EXPECT_EQ(bytes, "content=%7B%22question%22%3A%22Gr\xC3\xBC\xC3\x9F"
                     "e%5Cn%5C%22a%5C%22%20%26%20b%3Dc%22%7D");
    EXPECT_EQ(ServiceClient::bodyBytes(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST_F(ServiceClientWin, DocumentRoundTripThroughTheService) {
    const int softwareId =
        firstId(ServiceClient::post(u"getsoftwarelist.php", ServiceClient::codeBody()));
    const int localeId =
        firstId(ServiceClient::post(u"getlocalelist.php", ServiceClient::codeBody()));
    ASSERT_NE(softwareId, 0);
    ASSERT_NE(localeId, 0);

    const String question = uniqueQuestion();
    ElementPtr doc = Json::makeRoot();
    using Json::ElementMap;
    ElementMap::setString(doc, u"question", question);
    ElementMap::setString(doc, u"code", ServiceClient::accessCode());
    SystemInfo::addIdentity(doc);
    SystemInfo::addOperatingSystem(doc);
    ElementMap::setString(doc, u"sw_id", String::format(u"%i", softwareId));
    ElementMap::setString(doc, u"sw_file_desc", u"Editor");
    ElementMap::setString(doc, u"sw_product_name", u"Wine Notepad");
    ElementMap::setString(doc, u"sw_file_version", u"1.0");
    ElementMap::setString(doc, u"sw_file_version_full", u"1.0.0.0");
    ElementMap::setString(doc, u"sw_module_name", u"notepad.exe");
    ElementMap::setString(doc, u"sw_id_locale", String::format(u"%i", localeId));
    ElementMap::setString(doc, u"id_locale", String::format(u"%i", localeId));

    const String reply = ServiceClient::send(ServiceClient::host(), u"createticket.php", String(),
                                             ServiceClient::documentBody(doc), u"POST");
    ASSERT_EQ(reply, String(u"OK")) << ascii(reply);

    // The ticket list shows the question exactly as it was asked.
    const String tickets = ServiceClient::post(u"gettickets.php", ServiceClient::codeBody());
    const ElementPtr document = Json::parseText(tickets);
    const Json::ElementMap* list = Json::asMap(document);
    ASSERT_NE(list, nullptr);
    int found = 0;
    for (const auto& [id, ticket] : list->members) {
        if (Json::memberText(ticket, u"question") == question)
            ++found;
    }
    EXPECT_EQ(found, 1) << ascii(tickets.substr(0, 2000));
}

TEST_F(ServiceClientWin, CataloguesDownloadOverWinInet) {
    LocaleCatalogue& locales = LocaleCatalogue::instance();
    locales.download(1031);
    ASSERT_GT(locales.count(), 0);
    const int german = locales.defaultLocaleId();
    ASSERT_NE(german, 0);
    EXPECT_EQ(locales.get(german).microsoftLcid, 1031);
    EXPECT_FALSE(locales.get(german).description.empty());
    // The system's default locale is asked for when none is given.
    locales.download();
    EXPECT_GT(locales.count(), 0);

    OsCatalogue& systems = OsCatalogue::instance();
    systems.download();
    ASSERT_GT(systems.count(), 0);
    bool named = false;
    for (const auto& [id, entry] : systems)
        named = named || !entry.desc.empty();
    EXPECT_TRUE(named);
}

TEST_F(ServiceClientWin, ErrorTextsAndFailuresReachTheCaller) {
    // A wrong access code: the service's short error text is the reply.
    const String refused = ServiceClient::post(u"getoslist.php", u"code=wrong");
    EXPECT_FALSE(refused.empty());
    EXPECT_FALSE(refused.contains(u"{"));
    // The version check goes out as GET without a body.
    EXPECT_FALSE(
        ServiceClient::send(ServiceClient::host(), u"curversion.php", String(), String(), u"GET")
            .empty());
    // Nothing listens on port 1: an empty reply, and an emptied catalogue.
    ServiceClient::setServer(u"localhost", 1);
    EXPECT_TRUE(ServiceClient::post(u"getoslist.php", ServiceClient::codeBody()).empty());
    OsCatalogue::instance().download();
    EXPECT_EQ(OsCatalogue::instance().count(), 0);
}

TEST(SystemInfoWin, ReadsTheRunningSystem) {
    // Wine does not implement GetCurrentHwProfileW; the field is then empty.
    HW_PROFILE_INFOW profile{};
    const String guid = SystemInfo::hwGuid();
    if (GetCurrentHwProfileW(&profile)) {
        ASSERT_EQ(guid.length(), 38) << ascii(guid);
        EXPECT_EQ(guid[0], u'{');
        EXPECT_EQ(guid[37], u'}');
    } else {
        EXPECT_TRUE(guid.empty());
    }

    wchar_t name[256] = {};
    DWORD length = GetEnvironmentVariableW(L"USERNAME", name, 256);
    EXPECT_EQ(SystemInfo::username(),
              length ? String(reinterpret_cast<char16_t*>(name)) : String());

    const OsVersionRecord& version = SystemInfo::osVersion();
    EXPECT_EQ(version.platformId, 2);
    EXPECT_GE(version.major, 6);
    EXPECT_GT(version.buildNumber, 0u);
    EXPECT_FALSE(SystemInfo::osDescription().empty());
    RecordProperty("os_description", ascii(SystemInfo::osDescription()));
    RecordProperty("os_version", std::to_string(version.major) + "." +
                                     std::to_string(version.minor) + "." +
                                     std::to_string(version.buildNumber));
}
