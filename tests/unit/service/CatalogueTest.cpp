#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"
#include "tests/support/Ids.h"

#include "LotseConfig.h"

#include <gtest/gtest.h>

namespace {

ElementPtr reply(const char16_t* text) {
    return Json::parseText(String(text));
}

} // namespace

TEST(LocaleCatalogue, FindsTheSystemLanguageAndKeepsItWhenNoneMatches) {
    LocaleCatalogue c;
    // Key order of the reply is "10", "2", "9"; both 10 and 9 carry 1033, so
    // "9", the last in that order, becomes the default.
    c.load(reply(u"{\"9\":{\"microsoft_lcid\":\"1033\",\"description\":\"neun\"},"
                 u"\"10\":{\"microsoft_lcid\":\"1033\",\"description\":\"zehn\"},"
                 u"\"2\":{\"microsoft_lcid\":\"1031\"}}"),
           1033);
    EXPECT_EQ(idsOf(c), (std::vector<int>{2, 9, 10}));
    EXPECT_EQ(c.defaultLocaleId(), 9);

    // Loading again neither duplicates nor keeps stale entries; no match, an
    // empty or a non-JSON reply keeps the default.
    c.load(reply(u"{\"5\":{\"description\":\"English\",\"microsoft_lcid\":\"1031\"}}"), 1036);
    EXPECT_EQ(idsOf(c), (std::vector<int>{5}));
    EXPECT_EQ(c.defaultLocaleId(), 9);
    c.load(reply(u"Fehler"), 1031);
    EXPECT_EQ(c.count(), 0);
    EXPECT_EQ(c.defaultLocaleId(), 9);

    // Odd members still give entries: a key without digits is id 0.
    c.load(reply(u"{\"7\":\"x\",\"abc\":{\"microsoft_lcid\":\"1031\"},"
                 u"\"4\":{\"microsoft_lcid\":\" 1040xyz\",\"description\":\"Ital\\/iano\"}}"),
           1031);
    EXPECT_EQ(idsOf(c), (std::vector<int>{0, 4, 7}));
    EXPECT_EQ(c.defaultLocaleId(), 0);
    EXPECT_EQ(c.get(7).microsoftLcid, 0);
    EXPECT_EQ(c.get(4).microsoftLcid, 1040);
    EXPECT_EQ(c.get(4).description, String(u"Ital/iano"));
    // Find-or-insert: an unknown id gets an empty entry.
    EXPECT_EQ(c.get(99).id, 0);
    EXPECT_EQ(c.count(), 4);
}

TEST(Catalogues, DownloadWithoutServiceLeavesThemEmpty) {
    LocaleCatalogue& locales = LocaleCatalogue::instance();
    OsCatalogue& systems = OsCatalogue::instance();
    locales.load(reply(u"{\"3\":{\"microsoft_lcid\":\"1031\"}}"), 1031);
    systems.load(reply(u"{\"1\":{}}"));
    // Nothing listens on port 1 here.
    ServiceClient::setServer(u"127.0.0.1", 1);
    locales.download(1031);
    systems.download();
    ServiceClient::setServer(LOTSE_SERVICE_HOST, LOTSE_SERVICE_PORT);
    EXPECT_EQ(locales.count(), 0);
    EXPECT_EQ(locales.defaultLocaleId(), 3);
    EXPECT_EQ(systems.count(), 0);
}
