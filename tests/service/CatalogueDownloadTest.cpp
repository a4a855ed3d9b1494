#include "ServiceFixture.h"

#include "service/LocaleCatalogue.h"
#include "service/OsCatalogue.h"
#include "service/SystemInfo.h"
#include "service/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using CatalogueDownload = ServiceFixture;

class EmptyServiceDownload : public ServiceFixture {
  protected:
    bool seedDemo() const override { return false; }
};

int idOfLcid(const LocaleCatalogue& catalogue, int lcid) {
    for (const auto& [id, entry] : catalogue) {
        if (entry.microsoftLcid == lcid)
            return id;
    }
    return 0;
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

TEST_F(CatalogueDownload, LanguagesWithTheSystemDefault) {
    LocaleCatalogue catalogue;
    catalogue.download(1031);
    ASSERT_GE(catalogue.count(), 2);
    const int german = idOfLcid(catalogue, 1031);
    const int english = idOfLcid(catalogue, 1033);
    ASSERT_NE(german, 0);
    ASSERT_NE(english, 0);
    EXPECT_EQ(catalogue.defaultLocaleId(), german);
    EXPECT_EQ(catalogue.get(german).id, german);
    EXPECT_FALSE(catalogue.get(german).description.empty());
    int previous = 0;
    for (const auto& [id, entry] : catalogue) {
        EXPECT_GT(id, previous);
        EXPECT_EQ(entry.id, id);
        previous = id;
    }

    // Again, on an English system: same entries, the default follows.
    const int count = catalogue.count();
    catalogue.download(1033);
    EXPECT_EQ(catalogue.count(), count);
    EXPECT_EQ(catalogue.defaultLocaleId(), english);
    // A locale the service does not list keeps the default.
    catalogue.download(0x0411);
    EXPECT_EQ(catalogue.defaultLocaleId(), english);
}

TEST_F(CatalogueDownload, OperatingSystems) {
    OsCatalogue catalogue;
    catalogue.download();
    ASSERT_GT(catalogue.count(), 0);
    const int count = catalogue.count();
    for (const auto& [id, entry] : catalogue) {
        EXPECT_EQ(entry.id, id);
        EXPECT_FALSE(entry.desc.empty()) << id;
        EXPECT_GT(entry.major, 0) << id;
    }
    catalogue.download();
    EXPECT_EQ(catalogue.count(), count);
}

TEST_F(CatalogueDownload, ServiceStoppedEmptiesTheCatalogues) {
    LocaleCatalogue locales;
    locales.download(1031);
    ASSERT_GT(locales.count(), 0);
    const int german = locales.defaultLocaleId();
    OsCatalogue systems;
    systems.download();
    ASSERT_GT(systems.count(), 0);

    service.stop();
    locales.download(1031);
    systems.download();
    EXPECT_EQ(locales.count(), 0);
    EXPECT_EQ(locales.defaultLocaleId(), german);
    EXPECT_EQ(systems.count(), 0);
    ASSERT_TRUE(service.start(true)) << service.error();
}

TEST_F(EmptyServiceDownload, EmptyListsGiveEmptyCatalogues) {
    LocaleCatalogue locales;
    locales.download(1031);
    EXPECT_EQ(locales.count(), 0);
    EXPECT_EQ(locales.defaultLocaleId(), 0);
    OsCatalogue systems;
    systems.download();
    EXPECT_EQ(systems.count(), 0);
}

// A question with the characters the form and JSON encodings must carry, and
// longer than the 8191 characters a fixed formatting buffer would hold, comes
// back from the ticket list exactly as asked.
TEST_F(CatalogueDownload, DocumentRequestCarriesTheWholeQuestion) {
    const int softwareId = firstId(post(u"getsoftwarelist.php", ServiceClient::codeBody()));
    LocaleCatalogue locales;
    locales.download(1031);
    ASSERT_NE(softwareId, 0);
    ASSERT_NE(locales.defaultLocaleId(), 0);

    String question(u"Wie \u00e4ndere ich \"R\u00e4nder\" & Abst\u00e4nde = 2 cm?\nZeile zwei "
                    u"\U0001F600 {} [] %20 + ; / \t C:\\temp\\new \\\" \\");
    while (question.length() < 12000)
        question.append(u" mehr Text & = \"", 16);

    ElementPtr doc = Json::makeRoot();
    using Json::ElementMap;
    ElementMap::setString(doc, u"question", question);
    ElementMap::setString(doc, u"code", ServiceClient::accessCode());
    SystemInfo::addIdentity(doc);
    SystemInfo::addOperatingSystem(doc);
    const String localeId = String::format(u"%i", locales.defaultLocaleId());
    ElementMap::setString(doc, u"sw_id", String::format(u"%i", softwareId));
    ElementMap::setString(doc, u"sw_file_desc", u"Editor");
    ElementMap::setString(doc, u"sw_product_name", u"Notepad");
    ElementMap::setString(doc, u"sw_file_version", u"1.0");
    ElementMap::setString(doc, u"sw_file_version_full", u"1.0.0.0");
    ElementMap::setString(doc, u"sw_module_name", u"notepad.exe");
    ElementMap::setString(doc, u"sw_id_locale", localeId);
    ElementMap::setString(doc, u"id_locale", localeId);
    const String reply = post(u"createticket.php", ServiceClient::documentBody(doc));
    ASSERT_EQ(reply, String(u"OK")) << Utf8::encode(reply);

    const ElementPtr tickets = Json::parseText(post(u"gettickets.php", ServiceClient::codeBody()));
    int found = 0;
    for (const auto& [id, ticket] : Json::asMap(tickets)->members) {
        if (Json::memberText(ticket, u"question") == question)
            ++found;
    }
    EXPECT_EQ(found, 1);
}
