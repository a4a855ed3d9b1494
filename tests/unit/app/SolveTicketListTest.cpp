#include "app/NaturalCompare.h"
#include "app/SolveTicketList.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Catalogues and tickets as the service sends them: tickets in every state,
// out of id order, one for two programs, one with ids no catalogue knows.
struct SolveTicketListTest : ::testing::Test {
    SoftwareCatalogue software;
    OsCatalogue systems;
    TicketList tickets{software};
    DataGridModel grid;

    void SetUp() override {
        software.loadFromReply(
            u"{\"1\":{},\"4\":{\"file_desc\":\"Notepad\",\"file_version\":\"8.0\"},"
            u"\"6\":{\"file_desc\":\"Microsoft Excel\",\"file_version\":\"16.0\"},"
            u"\"7\":{\"file_desc\":\"Microsoft Word\",\"file_version\":\"16.0\"}}");
        systems.load(Json::parseText(u"{\"1\":{\"desc\":\"Windows 10 Pro\"},"
                                     u"\"4\":{\"desc\":\"Windows 7\"}}"));
        tickets.loadFromReply(
            u"{\"12\":{\"question\":\"Zwei Programme\",\"id_state\":\"1\","
            u"\"software_list\":\"7;6\",\"id_operating_system\":\"1\"},"
            u"\"3\":{\"question\":\"Offen im Editor\",\"id_state\":\"1\","
            u"\"software_list\":\"4\",\"id_operating_system\":\"4\"},"
            u"\"5\":{\"question\":\"Gel\\u00f6st\",\"id_state\":\"2\",\"software_list\":\"4\"},"
            u"\"6\":{\"question\":\"Best\\u00e4tigt\",\"id_state\":\"3\",\"software_list\":\"4\"},"
            u"\"7\":{\"question\":\"Ohne Status\",\"id_state\":\"0\",\"software_list\":\"99\"},"
            u"\"8\":{\"question\":\"Geschlossen\",\"id_state\":\"4\",\"software_list\":\"4\"},"
            u"\"20\":{\"question\":\"Unbekannt\",\"id_state\":\"1\",\"software_list\":\"50;51\","
            u"\"id_operating_system\":\"9\"},"
            u"\"21\":{\"question\":\"Jeder\",\"id_state\":\"1\",\"software_list\":\"1\","
            u"\"id_operating_system\":\"1\"}}");
    }

    std::vector<String> column(int c) const {
        std::vector<String> texts;
        for (int r = 0; r < grid.rowCount(); ++r)
            texts.push_back(grid.row(r).cells[c]);
        return texts;
    }
};

} // namespace

TEST(NaturalCompare, DigitsFirstNumbersByValueCapitalsBeforeSmallLetters) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        int expected;
    } cases[] = {
        {u"7-Zip", u"Access", -1},     // a digit before a letter
        {u"Frage", u"1 Frage", 1},     // and the other way round
        {u"Seite 2", u"Seite 10", -1}, // by value, not unit by unit
        {u"Seite 9", u"Seite 10", -1},
        {u"Teil 2 von 3", u"Teil 2 von 12", -1}, // runs after equal runs
        {u"Zoom", u"aktualisieren", -1},         // case is not folded
        {u"Wie", u"Wie?", -1},                   // a prefix sorts first
        {u"Gleich 5", u"Gleich 5", 0},
        {u"", u"", 0},
        {u"", u"a", -1},
        {u"x01y", u"x1z", -1}, // equal values go on at the shorter run's end
        {u"\u00e4", u"z", 1},  // by code unit beyond ASCII
    };
    for (const Case& c : cases) {
        EXPECT_EQ(naturalCompare(c.a, c.b, 0), c.expected)
            << Utf8::encode(c.a) << " / " << Utf8::encode(c.b);
        EXPECT_EQ(naturalCompare(c.b, c.a, 2), -c.expected)
            << Utf8::encode(c.b) << " / " << Utf8::encode(c.a);
    }
    // Nine digits overflow the 32-bit value: 0x100000000 wraps to 0.
    EXPECT_EQ(sign(naturalCompare(u"100000000", u"1", 0)), -1);
}

TEST_F(SolveTicketListTest, ListsOpenTicketsInIdOrderWithTheirEnvironment) {
    const int softwareBefore = software.count();
    EXPECT_EQ(SolveTicketList::build(grid, tickets, software, systems), 4);

    EXPECT_EQ(grid.columns[0].title, String(u"Frage"));
    EXPECT_EQ(grid.columns[1].title, String(u"Software"));
    EXPECT_EQ(grid.columns[2].title, String(u"Betriebssystem"));
    EXPECT_EQ(grid.columns[0].width, 700);
    EXPECT_EQ(grid.columns[1].width, 300);
    EXPECT_EQ(grid.columns[2].width, 150);
    EXPECT_EQ(grid.compare, &naturalCompare);
    EXPECT_TRUE(grid.sortable);

    EXPECT_EQ(column(0),
              (std::vector<String>{u"Offen im Editor", u"Zwei Programme", u"Unbekannt", u"Jeder"}));
    // The smallest id names the software; "*" marks several. Unknown ids give
    // empty texts, the wildcard entry an empty one too.
    EXPECT_EQ(column(1),
              (std::vector<String>{u"Notepad - v8.0", u"Microsoft Excel - v16.0*", u"*", u""}));
    EXPECT_EQ(column(2),
              (std::vector<String>{u"Windows 7", u"Windows 10 Pro", u"", u"Windows 10 Pro"}));
    const int ids[] = {3, 12, 20, 21};
    for (int r = 0; r < grid.rowCount(); ++r) {
        const GridRow& row = grid.row(r);
        EXPECT_EQ(row.rowData, ids[r]);
        EXPECT_EQ(row.rowNumber, r + 1);
        EXPECT_EQ(row.alignments, (std::vector<int32_t>{0, 0, 0})) << r;
        EXPECT_EQ(row.protectedCells, (std::vector<uint8_t>{1, 1, 1})) << r;
    }
    EXPECT_EQ(grid.row(0).background, 0xDCDCFAu); // RGB(250, 220, 220)
    EXPECT_EQ(grid.row(1).background, 0xDCFADCu); // RGB(220, 250, 220)
    EXPECT_EQ(grid.row(2).background, 0xDCFAFAu); // RGB(250, 250, 220)
    EXPECT_EQ(grid.row(3).background, grid.row(0).background);

    // The lookups are find-or-insert, for unlisted tickets too: software 99 and
    // 50 (the smallest of 50 and 51).
    EXPECT_EQ(software.count(), softwareBefore + 2);
    EXPECT_EQ(systems.count(), 4); // 0 of the tickets without a system, and 9
}
