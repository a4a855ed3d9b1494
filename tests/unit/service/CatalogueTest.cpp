#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/ServiceClient.h"

#include "LotseConfig.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

ElementPtr reply(const char16_t* text) {
    return Json::parseText(String(text));
}

std::vector<int> ids(const LocaleCatalogue& c) {
    std::vector<int> out;
    for (const auto& [id, entry] : c)
        out.push_back(id);
    return out;
}

} // namespace

TEST(LocaleCatalogue, FillsFromReplyAndFindsTheSystemLanguage) {
    LocaleCatalogue c;
    c.load(reply(u"{\"3\":{\"description\":\"Deutsch\",\"microsoft_lcid\":\"1031\"},"
                 u"\"5\":{\"description\":\"English\",\"microsoft_lcid\":\"1033\"}}"),
           1031);
    ASSERT_EQ(c.count(), 2);
    EXPECT_EQ(c.defaultLocaleId(), 3);
    EXPECT_EQ(c.get(3).id, 3);
    EXPECT_EQ(c.get(3).microsoftLcid, 1031);
    EXPECT_EQ(c.get(3).description, String(u"Deutsch"));
    EXPECT_EQ(c.get(5).microsoftLcid, 1033);
    EXPECT_EQ(c.get(5).description, String(u"English"));

    // Loading again neither duplicates nor keeps stale entries.
    c.load(reply(u"{\"5\":{\"description\":\"English\",\"microsoft_lcid\":\"1033\"}}"), 1031);
    EXPECT_EQ(c.count(), 1);
    // No entry matches: the default stays as it was.
    EXPECT_EQ(c.defaultLocaleId(), 3);
    // An empty or non-JSON reply empties the catalogue and keeps the default.
    c.load(reply(u""), 1031);
    EXPECT_EQ(c.count(), 0);
    c.load(reply(u"Fehler"), 1033);
    EXPECT_EQ(c.count(), 0);
    EXPECT_EQ(c.defaultLocaleId(), 3);
}

TEST(LocaleCatalogue, OrdersByNumberWhileTheReplyOrdersByText) {
    LocaleCatalogue c;
    // Key order of the reply is "10", "2", "9"; both 10 and 9 carry 1033, so
    // "9", the last in that order, becomes the default.
    c.load(reply(u"{\"9\":{\"microsoft_lcid\":\"1033\",\"description\":\"neun\"},"
                 u"\"10\":{\"microsoft_lcid\":\"1033\",\"description\":\"zehn\"},"
                 u"\"2\":{\"microsoft_lcid\":\"1031\"}}"),
           1033);
    EXPECT_EQ(ids(c), (std::vector<int>{2, 9, 10}));
    EXPECT_EQ(c.defaultLocaleId(), 9);
    EXPECT_EQ(c.get(2).description, String());
}

TEST(LocaleCatalogue, OddMembersStillGiveEntries) {
    LocaleCatalogue c;
    c.load(reply(u"{\"7\":\"x\",\"abc\":{\"microsoft_lcid\":\"1031\"},"
                 u"\"4\":{\"microsoft_lcid\":\" 1040xyz\",\"description\":\"Ital\\/iano\"}}"),
           1031);
    EXPECT_EQ(ids(c), (std::vector<int>{0, 4, 7}));
    // A key without digits gives id 0.
    EXPECT_EQ(c.defaultLocaleId(), 0);
    EXPECT_EQ(c.get(7).microsoftLcid, 0);
    EXPECT_TRUE(c.get(7).description.empty());
    EXPECT_EQ(c.get(4).microsoftLcid, 1040);
    EXPECT_EQ(c.get(4).description, String(u"Ital/iano"));
    // Find-or-insert: an unknown id gets an empty entry.
    EXPECT_EQ(c.get(99).id, 0);
    EXPECT_TRUE(c.get(99).description.empty());
    EXPECT_EQ(c.count(), 4);
}

TEST(OsCatalogue, FillsFromReply) {
    OsCatalogue c;
    c.load(reply(u"{\"1\":{\"id_platform\":\"2\",\"major\":\"6\",\"minor\":\"2\","
                 u"\"build_no\":\"22631\",\"desc\":\"Windows 11 Pro\"},\"2\":\"x\","
                 u"\"10\":{\"desc\":\"Windows 10 Home\",\"build_no\":\"19045\"}}"));
    ASSERT_EQ(c.count(), 3);
    const OsEntry& first = c.get(1);
    EXPECT_EQ(first.id, 1);
    EXPECT_EQ(first.idPlatform, 2);
    EXPECT_EQ(first.major, 6);
    EXPECT_EQ(first.minor, 2);
    EXPECT_EQ(first.buildNo, 22631);
    EXPECT_EQ(first.desc, String(u"Windows 11 Pro"));
    // A member that is not an object: id only.
    EXPECT_EQ(c.get(2).id, 2);
    EXPECT_EQ(c.get(2).major, 0);
    EXPECT_TRUE(c.get(2).desc.empty());
    EXPECT_EQ(c.get(10).buildNo, 19045);
    EXPECT_EQ(c.get(10).major, 0);
    std::vector<int> order;
    for (const auto& [id, entry] : c)
        order.push_back(id);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 10}));

    c.load(reply(u"{\"2\":\"x\"}"));
    EXPECT_EQ(c.count(), 1);
    c.load(reply(u""));
    EXPECT_EQ(c.count(), 0);
}

TEST(Catalogues, DownloadWithoutServiceLeavesThemEmpty) {
    LocaleCatalogue& locales = LocaleCatalogue::instance();
    OsCatalogue& systems = OsCatalogue::instance();
    EXPECT_EQ(&locales, &LocaleCatalogue::instance());
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
