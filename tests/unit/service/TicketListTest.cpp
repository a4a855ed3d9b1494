#include "service/TicketList.h"
#include "tests/StringPrinter.h"
#include "tests/support/Ids.h"
#include "tests/support/ReferenceTicketSearch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

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
        TicketMatches found;
        list.search(found, u"irrelevant", 4, 1031); // replaced, not narrowed
        list.search(found, query, software, locale);
        return idsOf(found);
    }
};

} // namespace

TEST_F(TicketListTest, ReadsEveryFieldAndFindsOrInserts) {
    ASSERT_EQ(list.count(), 7);
    const Ticket& t = list.all().at(1);
    // Question, state, language and system are read back by the search, main
    // window and solve list tests.
    EXPECT_EQ(t.software_list, (std::set<int>{4, 7}));
    EXPECT_EQ(t.id_capture, 55);
    EXPECT_EQ(t.timestamp_created, String(u"2024-01-02 10:11:12"));
    EXPECT_EQ(list.all().at(6).software_list, (std::set<int>{0}));
    EXPECT_EQ(parseSoftwareList(u"4;;x"), (std::set<int>{4, 0}));
    EXPECT_EQ(list.all().at(8).id, 8); // not an object
    EXPECT_TRUE(list.all().at(8).software_list.empty());
    EXPECT_EQ(list.find(42).id, 42);
    EXPECT_EQ(list.count(), 8);

    // Keys 7 and 07 are one id: the later key in key order ("7") wins, in
    // whichever order they come.
    for (const char16_t* reply :
         {u"{\"7\":{\"question\":\"seven\"},\"07\":{\"question\":\"oh-seven\"}}",
          u"{\"07\":{\"question\":\"oh\"},\"7\":{\"question\":\"seven\"},\"07\":{}}"}) {
        list.loadFromReply(reply);
        ASSERT_EQ(list.count(), 1);
        EXPECT_EQ(list.all().at(7).question, String(u"seven"));
    }
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
    list.find(1).question = u"über";
    EXPECT_EQ(search(u"Über", 9, 1031), (std::vector<int>{}));
    EXPECT_EQ(search(u"übe", 9, 1031), (std::vector<int>{1}));
}

// The languages of a software's tickets; the wildcard's are those of all
// tickets. A changed or reloaded list answers anew. ReadWhileArriving below
// compares them with the tickets of every software.
TEST_F(TicketListTest, LanguagesOfASoftwaresTicketsFollowChanges) {
    auto languagesOf = [&](int software) {
        std::set<int> locales;
        list.localesFor(software, locales);
        return locales;
    };
    EXPECT_EQ(languagesOf(9), (std::set<int>{0, 1031, 1033})); // tickets in every state
    EXPECT_EQ(languagesOf(7), (std::set<int>{1031}));
    list.find(2).id_locale = 1036;
    EXPECT_EQ(languagesOf(7), (std::set<int>{1031, 1036}));
    list.loadFromReply(u"");
    EXPECT_TRUE(languagesOf(9).empty());
}

// Typing, deleting, switching filters, changing and reloading tickets: every
// search finds what the plain scan of all tickets finds, in the same order, and
// its tickets are the list's own.
TEST_F(TicketListTest, IndexedSearchFindsWhatTheFullScanFinds) {
    std::mt19937 random(11);
    const char16_t* pieces[] = {u"ab", u"ba", u"Ab", u"c", u"\u00fc", u" ", u"  ", u"\t", u"abc"};
    auto randomQuestion = [&] {
        String q;
        for (int n = static_cast<int>(random() % 12); n > 0; --n)
            q.append(String(pieces[random() % 9]));
        return q;
    };
    auto reload = [&] {
        String reply(u"{");
        for (int id = 1; id <= 400; ++id) {
            const String question = randomQuestion().substr(0, 30);
            String escaped;
            for (int i = 0; i < question.length(); ++i) {
                if (question[i] == u'\t')
                    escaped.append(u"\\t");
                else
                    escaped.append(question[i]);
            }
            reply.append(String::format(
                u"%s\"%i\":{\"question\":\"%s\",\"id_state\":\"%i\",\"id_locale\":\"%i\","
                u"\"software_list\":\"%i;%i\"}",
                id > 1 ? u"," : u"", id, escaped, 1 + static_cast<int>(random() % 4),
                1031 + static_cast<int>(random() % 3), static_cast<int>(random() % 6),
                static_cast<int>(random() % 6)));
        }
        reply.append(u'}');
        list.loadFromReply(reply);
    };
    reload();
    TicketMatches found;
    std::vector<Ticket> expected;
    String query;
    int software = 9, locale = 1031;
    for (int step = 0; step < 4000; ++step) {
        const unsigned action = random() % 100;
        if (action < 60) {
            query.append(String(pieces[random() % 9]).substr(0, 1));
        } else if (action < 75) {
            query =
                query.substr(0, std::max(0, query.length() - 1 - static_cast<int>(random() % 3)));
        } else if (action < 85) {
            software = static_cast<int>(random() % 10);
            locale = 1030 + static_cast<int>(random() % 4);
        } else if (action < 92) {
            Ticket& changed = list.find(1 + static_cast<int>(random() % 420));
            changed.question = randomQuestion();
            changed.id_state = 2 + static_cast<int>(random() % 2);
            changed.id_locale = locale;
        } else if (action < 94) {
            reload();
        } else {
            query = randomQuestion().substr(0, 5);
        }
        list.search(found, query, software, locale);
        referenceTicketSearch(list, expected, query, software, locale);
        ASSERT_EQ(idsOf(found), idsOf(expected))
            << "step " << step << " query " << testing::PrintToString(query);
        for (int i = 0; i < found.count(); ++i)
            ASSERT_EQ(&found[i], &list.all().at(found[i].id));
    }
}

TEST_F(TicketListTest, ResultsOutliveAReload) {
    TicketMatches found;
    list.search(found, u"drucke", 9, 1031);
    list.loadFromReply(u""); // a failed download empties the list
    ASSERT_EQ(found.count(), 2);
    EXPECT_EQ(found[0].question, String(u"Wie DRUCKE ich ein Dokument?"));
}

// Read in pieces while they arrive, cut wherever the transfer cuts them, the
// list is the one a read of the whole reply gives: also where a question holds
// what looks like the end of a ticket, a piece ends inside a character, a key
// comes twice or as "07", a zero byte or the end cuts the reply short.
TEST_F(TicketListTest, ReadWhileArrivingEqualsReadingTheWhole) {
    std::mt19937 random(5);
    const char* texts[] = {"Drucken", "},\\\"7\\\":{", "},\"", "\\\\", "\xc3\xbc", "\xe2\x82\xac",
                           "{",       "\\\"",          "}",    " ",    "\\u00e4",  "\xff"};
    auto reply = [&] {
        std::string bytes = "{";
        const int tickets = 1 + static_cast<int>(random() % 60);
        for (int n = 0; n < tickets; ++n) {
            std::string question;
            for (int w = static_cast<int>(random() % 8); w > 0; --w)
                question += texts[random() % std::size(texts)];
            const int id = 1 + static_cast<int>(random() % 50);
            const char* key = random() % 10 == 0 ? "0" : "";
            bytes += (n ? ",\"" : "\"") + std::string(key) + std::to_string(id) +
                     "\":{\"id_locale\":\"" + std::to_string(random() % 3) +
                     "\",\"id_state\":\"2\",\"question\":\"" + question +
                     "\",\"software_list\":\"" + std::to_string(random() % 5) + "\"}";
        }
        bytes += "}";
        if (random() % 8 == 0)
            bytes.resize(random() % bytes.size());
        if (random() % 16 == 0 && !bytes.empty())
            bytes[random() % bytes.size()] = '\0';
        return bytes;
    };
    auto same = [](const Ticket& a, const Ticket& b) {
        return a.id == b.id && a.question == b.question && a.software_list == b.software_list &&
               a.id_state == b.id_state;
    };
    TicketList whole(catalogue);
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = reply();
        whole.loadFromReplyBytes(bytes);
        const bool replied = list.loadArriving([&](const ReplyPieces& pieces) {
            for (size_t at = 0; at < bytes.size();) {
                const size_t piece = std::min<size_t>(bytes.size() - at, 1 + random() % 40);
                pieces(std::string_view(bytes).substr(at, piece));
                at += piece;
            }
            return true;
        });
        ASSERT_TRUE(replied);
        ASSERT_EQ(list.count(), whole.count()) << bytes;
        for (const auto& [id, ticket] : whole)
            ASSERT_TRUE(same(list.all().at(id), ticket)) << bytes;
        // The languages gathered while reading are those of the tickets kept.
        for (int software : {0, 1, 2, 3, 4, 9}) {
            std::set<int> expected, gathered;
            for (const auto& [id, ticket] : whole) {
                if (list.belongsTo(ticket, software))
                    expected.insert(ticket.id_locale);
            }
            list.localesFor(software, gathered);
            ASSERT_EQ(gathered, expected) << bytes;
        }
        // So is the search index gathered while reading, of either read.
        for (TicketList* read : {&list, &whole}) {
            for (int locale = 0; locale < 3; ++locale) {
                for (const char16_t* query : {u"", u"drucken"}) {
                    TicketMatches found;
                    std::vector<Ticket> expected;
                    read->search(found, query, 9, locale);
                    referenceTicketSearch(*read, expected, query, 9, locale);
                    ASSERT_EQ(idsOf(found), idsOf(expected)) << bytes;
                }
            }
        }
    }
    // No reply: what came before the failure is dropped.
    EXPECT_FALSE(list.loadArriving([](const ReplyPieces& pieces) {
        pieces("{\"1\":{\"id_state\":\"2\"},\"2\":{");
        return false;
    }));
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(search(u"", 9, 0), std::vector<int>());
}
