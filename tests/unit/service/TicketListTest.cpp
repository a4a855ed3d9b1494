#include "service/TicketList.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> ids(const std::vector<Ticket>& tickets) {
    std::vector<int> out;
    for (const Ticket& t : tickets)
        out.push_back(t.id);
    return out;
}

// Software 9 is the catalogue's wildcard.
struct TicketListTest : ::testing::Test {
    SoftwareCatalogue catalogue;
    TicketList list{catalogue};

    void SetUp() override {
        catalogue.loadFromReply(u"{\"9\":{},\"4\":{\"file_desc\":\"Foo\"}}");
        list.loadFromReply(
            u"{\"1\":{\"question\":\"Wie DRUCKE ich ein Dokument?\",\"id_state\":\"2\","
            u"\"id_locale\":\"1031\",\"software_list\":\"4;7;4\",\"id_operating_system\":\"3\","
            u"\"id_capture\":\"55\",\"timestamp_created\":\"2024-01-02 10:11:12\"},"
            u"\"2\":{\"question\":\"Drucken geht nicht\",\"id_state\":\"3\",\"id_locale\":\"1031\","
            u"\"software_list\":\"7\"},"
            u"\"3\":{\"question\":\"Dokument drucken "
            u"offen\",\"id_state\":\"1\",\"id_locale\":\"1031\","
            u"\"software_list\":\"4\"},"
            u"\"4\":{\"question\":\"Dokument drucken "
            u"alt\",\"id_state\":\"4\",\"id_locale\":\"1031\","
            u"\"software_list\":\"4\"},"
            u"\"5\":{\"question\":\"How do I print a document\",\"id_state\":\"2\","
            u"\"id_locale\":\"1033\",\"software_list\":\"4\"},"
            u"\"6\":{\"question\":\"Ohne Software\",\"id_state\":\"2\",\"id_locale\":\"1031\","
            u"\"software_list\":\"\"},"
            u"\"8\":\"kein Objekt\"}");
    }

    std::vector<int> search(const String& query, int software, int locale) {
        std::vector<Ticket> out;
        out.push_back(Ticket{}); // replaced, not appended to
        list.search(out, query, software, locale);
        return ids(out);
    }
};

} // namespace

TEST_F(TicketListTest, ReadsEveryFieldAndFindsOrInserts) {
    ASSERT_EQ(list.count(), 7);
    const Ticket& t = list.all().at(1);
    EXPECT_EQ(t.id, 1);
    EXPECT_EQ(t.question, String(u"Wie DRUCKE ich ein Dokument?"));
    EXPECT_EQ(t.questionLower, String(u"wie drucke ich ein dokument?"));
    EXPECT_EQ(t.software_list, (std::set<int>{4, 7}));
    EXPECT_EQ(t.id_operating_system, 3);
    EXPECT_EQ(t.id_capture, 55);
    EXPECT_EQ(t.id_state, 2);
    EXPECT_EQ(t.id_locale, 1031);
    EXPECT_EQ(t.timestamp_created, String(u"2024-01-02 10:11:12"));
    EXPECT_EQ(list.all().at(6).software_list, (std::set<int>{0}));
    EXPECT_EQ(parseSoftwareList(u"4;;x"), (std::set<int>{4, 0}));
    EXPECT_EQ(list.all().at(8).id, 8); // not an object
    EXPECT_TRUE(list.all().at(8).software_list.empty());
    EXPECT_EQ(list.find(42).id, 42);
    EXPECT_EQ(list.count(), 8);

    // Keys 7 and 07 are one id: the later key in key order ("7") wins.
    list.loadFromReply(u"{\"7\":{\"question\":\"seven\"},\"07\":{\"question\":\"oh-seven\"}}");
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.all().at(7).question, String(u"seven"));
    list.loadFromReply(u"not json");
    EXPECT_EQ(list.count(), 0);
}

TEST_F(TicketListTest, SearchFiltersByStateLanguageAndSoftware) {
    // Empty query: every ticket of the software, language and states 2 or 3.
    EXPECT_EQ(search(u"", 4, 1031), (std::vector<int>{1}));
    EXPECT_EQ(search(u"", 7, 1031), (std::vector<int>{1, 2}));
    EXPECT_EQ(search(u"", 4, 1033), (std::vector<int>{5}));
    // The wildcard searches tickets of every software; states 1 and 4 never.
    EXPECT_EQ(search(u"", 9, 1031), (std::vector<int>{1, 2, 6}));
    EXPECT_EQ(search(u"dokument drucken", 9, 1031), (std::vector<int>{}));
    EXPECT_EQ(search(u"drucke", 9, 1031), (std::vector<int>{1, 2}));
    // An empty software list belongs to software 0.
    EXPECT_EQ(search(u"", 0, 1031), (std::vector<int>{6}));
}

TEST_F(TicketListTest, SearchWordRules) {
    // One or two characters: nothing; three: searched.
    EXPECT_EQ(search(u"d", 9, 1031), (std::vector<int>{}));
    EXPECT_EQ(search(u"dr", 9, 1031), (std::vector<int>{}));
    EXPECT_EQ(search(u"dru", 9, 1031), (std::vector<int>{1, 2}));
    // Capitals find any letter case; two blanks separate two words, in any order.
    EXPECT_EQ(search(u"DOKUMENT  WIE", 9, 1031), (std::vector<int>{1}));
    EXPECT_EQ(search(u"geht  drucken", 9, 1031), (std::vector<int>{2}));
    EXPECT_EQ(search(u"drucke\tich", 9, 1031), (std::vector<int>{})); // a tab is no blank
    // Only blanks: no words, every ticket that passes the filters.
    EXPECT_EQ(search(u"   ", 9, 1031), (std::vector<int>{1, 2, 6}));
    // Umlauts are not folded.
    list.find(1).questionLower = u"über";
    EXPECT_EQ(search(u"Über", 9, 1031), (std::vector<int>{}));
    EXPECT_EQ(search(u"übe", 9, 1031), (std::vector<int>{1}));
}

TEST_F(TicketListTest, SearchFollowsReloadsAndInsertedTickets) {
    EXPECT_EQ(search(u"", 9, 1031), (std::vector<int>{1, 2, 6}));
    list.loadFromReply(u"");
    EXPECT_EQ(search(u"", 9, 1031), (std::vector<int>{}));
    list.loadFromReply(u"{\"3\":{\"question\":\"Neu geladen\",\"id_state\":\"2\","
                       u"\"id_locale\":\"1031\",\"software_list\":\"4\"}}");
    EXPECT_EQ(search(u"geladen", 4, 1031), (std::vector<int>{3}));
    Ticket& inserted = list.find(1);
    inserted.question = u"Eingefügt";
    inserted.questionLower = u"eingefügt";
    inserted.id_state = 3;
    inserted.id_locale = 1031;
    inserted.software_list = {4};
    EXPECT_EQ(search(u"", 4, 1031), (std::vector<int>{1, 3}));
}
