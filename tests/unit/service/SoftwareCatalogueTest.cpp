#include "service/SoftwareCatalogue.h"
#include "tests/StringPrinter.h"
#include "tests/support/Ids.h"

#include <gtest/gtest.h>

namespace {

const char16_t* reply =
    u"{\"12\":{\"id_locale\":\"1031\",\"file_desc\":\"Windows 10 Pro N\",\"product_name\":\"W\","
    u"\"file_version\":\"\",\"supported\":\"1\",\"module_name\":\"explorer.exe\"},"
    u"\"3\":{\"id_locale\":\"1033\",\"file_desc\":\"Windows 10\",\"product_name\":\"\","
    u"\"file_version\":\"\",\"file_version_full\":\"10.0\",\"supported\":\"0\"},"
    u"\"7\":{\"id_locale\":\"1031\",\"file_desc\":\"Foo Editor\",\"file_version\":\"2.1\"},"
    u"\"9\":{\"id_locale\":\"1031\",\"file_desc\":\"\",\"product_name\":\"\",\"file_version\":\"\"}"
    u","
    u"\"20\":\"not an object\"}";

} // namespace

TEST(SoftwareCatalogue, ReadsTheReplyInIdOrderAndFindsOrInserts) {
    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(reply);
    EXPECT_EQ(idsOf(catalogue.search(u"", false)), (std::vector<int>{3, 7, 9, 12, 20}));
    const SoftwareEntry& pro = catalogue.all().at(12);
    EXPECT_EQ(pro.id, 12);
    EXPECT_EQ(pro.id_locale, 1031);
    EXPECT_TRUE(pro.supported);
    EXPECT_FALSE(catalogue.all().at(3).supported);
    EXPECT_EQ(catalogue.all().at(3).file_version_full, String(u"10.0"));
    // A member that is not an object gives an entry with only its id.
    EXPECT_EQ(catalogue.all().at(20).id, 20);
    EXPECT_EQ(catalogue.all().at(20).id_locale, 1);
    EXPECT_EQ(catalogue.wildcardId(), 9);
    EXPECT_EQ(displayText(catalogue.all().at(9)), String());
    EXPECT_EQ(catalogue.entry(99).id_locale, 1);
    EXPECT_EQ(catalogue.count(), 6);

    // The wildcard survives loads without one; a bad reply empties the catalogue.
    catalogue.loadFromReply(u"{\"5\":{\"file_desc\":\"Bar\"}}");
    EXPECT_EQ(catalogue.wildcardId(), 9);
    catalogue.loadFromReply(u"<html>502 Bad Gateway</html>");
    EXPECT_EQ(catalogue.count(), 0);
    EXPECT_EQ(catalogue.wildcardId(), 9);
    catalogue.loadFromReply(u"{\"4\":{\"id_locale\":\"1\"}}");
    EXPECT_EQ(catalogue.wildcardId(), 4);
}

TEST(SoftwareCatalogue, WordSearchNeedsEveryWord) {
    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(reply);
    EXPECT_EQ(idsOf(catalogue.search(u"WINDOWS  10", false)), (std::vector<int>{3, 12}));
    EXPECT_EQ(idsOf(catalogue.search(u"10  pro", false)), (std::vector<int>{12}));
    EXPECT_EQ(idsOf(catalogue.search(u"editor v2", false)), (std::vector<int>{7}));
    EXPECT_EQ(idsOf(catalogue.search(u"editor v3", false)), (std::vector<int>{}));
    // No words: every entry, the wildcard with its empty text included.
    EXPECT_EQ(idsOf(catalogue.search(u"   ", false)), (std::vector<int>{3, 7, 9, 12, 20}));
}

TEST(SoftwareCatalogue, WholeTextSearchFindsTheFirstEntryInsideTheQuery) {
    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(reply);
    EXPECT_EQ(idsOf(catalogue.search(u"windows 10 pro", true)), (std::vector<int>{3}));
    // Both "Windows 10" and "Windows 10 Pro N" are inside this one: only the
    // first in id order is given.
    EXPECT_EQ(idsOf(catalogue.search(u"Microsoft Windows 10 Pro N", true)), (std::vector<int>{3}));
    // Without entry 3, "Windows 10 Pro N" is not inside the query, and the empty
    // texts of the wildcard and entry 20 never match.
    catalogue.loadFromReply(u"{\"12\":{\"file_desc\":\"Windows 10 Pro N\"},\"9\":{}}");
    EXPECT_EQ(idsOf(catalogue.search(u"windows 10 pro", true)), (std::vector<int>{}));
    EXPECT_EQ(idsOf(catalogue.search(u"Windows 10 Pro N", true)), (std::vector<int>{12}));
}
