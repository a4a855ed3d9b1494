#include "tests/unit/app/FakeMainWindow.h"

#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

namespace {

struct MainWindowModelTest : testing::Test, MainWindowDesk {
    // The number of questions the search offers for software and language.
    int offered(int software, int locale) {
        TicketMatches found;
        tickets.search(found, String(), software, locale);
        return found.count();
    }
    // The question list holds exactly the offered questions of software and language.
    void expectQuestionsOf(int software, int locale) {
        EXPECT_EQ(static_cast<int>(window.question.items.size()), offered(software, locale));
        for (const auto& [text, item] : window.question.items) {
            const Ticket* ticket = static_cast<const Ticket*>(item);
            EXPECT_EQ(text, ticket->question); // each line reads as its record
            EXPECT_EQ(ticket->id_locale, locale);
            EXPECT_TRUE(ticket->software_list.count(software) || software == wildcard);
        }
        EXPECT_EQ(window.cue, questionCue(offered(software, locale)));
    }
};

} // namespace

TEST_F(MainWindowModelTest, OpensWithTheSoftwareTheSystemNamesAndItsQuestions) {
    window.open(model, nullptr, nullptr, u"Windows 10 Pro");
    EXPECT_EQ(model.currentSoftware.id, windows10);
    EXPECT_EQ(window.software.selectedText(), String(u"Windows 10"));
    EXPECT_EQ(window.software.items.size(), 5u);
    EXPECT_EQ(model.localeId, german);
    EXPECT_EQ(window.language.items.size(), 3u);
    EXPECT_EQ(window.language.selectedText(), String(u"Deutsch"));
    expectQuestionsOf(windows10, german);
    EXPECT_EQ(window.cue, String(u"&Nach was suchst du?             (1 Tickets verf\u00fcgbar)"));
    EXPECT_EQ(window.ticketCount, String(u"4"));
    EXPECT_FALSE(window.createEnabled);
    EXPECT_EQ(window.timers, (std::map<int, int>{{8, 300000}}));

    // A system the catalogue does not name leaves the software unchosen.
    MainWindowDesk other;
    other.window.open(other.model, nullptr, nullptr, u"Windows Vista");
    EXPECT_EQ(other.model.currentSoftware.id, 0);
    EXPECT_EQ(other.window.software.selected, -1);
    EXPECT_EQ(other.window.language.selectedText(), String(u"Deutsch"));
}

TEST_F(MainWindowModelTest, ChoosingSoftwareOrLanguageSwitchesLanguageAndRecountsQuestions) {
    window.open(model, nullptr, nullptr, u"Windows Vista");

    // VLC has questions in English only: the language follows.
    ASSERT_TRUE(window.chooseSoftware(model, u"VLC media player - v3.0"));
    EXPECT_EQ(model.currentSoftware.id, vlc);
    EXPECT_EQ(model.localeId, english);
    EXPECT_EQ(window.language.selectedText(), String(u"English"));
    ASSERT_EQ(offered(vlc, english), 2);
    expectQuestionsOf(vlc, english);

    // A language keeps the software and recounts; an invalid one changes nothing.
    model.chooseLanguage(french);
    EXPECT_EQ(model.localeId, french);
    EXPECT_EQ(model.currentSoftware.id, vlc);
    expectQuestionsOf(vlc, french);
    model.chooseLanguage(0);
    EXPECT_EQ(model.localeId, french);

    // Firefox has a French question: the language stays.
    ASSERT_TRUE(window.chooseSoftware(model, u"Firefox - v121.0"));
    EXPECT_EQ(model.localeId, french);
    EXPECT_EQ(window.language.selectedText(), String(u"Fran\u00e7ais"));
    expectQuestionsOf(firefox, french);

    // The first position counts: typing may leave just the one entry wanted.
    window.software.resetList();
    window.software.addItem(u"VLC media player - v3.0", &catalogue.all().at(vlc));
    model.selectSoftware(0, model.localeId, true);
    EXPECT_EQ(model.currentSoftware.id, vlc);
    EXPECT_EQ(model.localeId, english);
    // A position without an item, or a catalogue id of 0, keeps the software.
    model.selectSoftware(7, model.localeId, true);
    model.selectSoftware(0, model.localeId, false);
    EXPECT_EQ(model.currentSoftware.id, vlc);

    // The wildcard software offers every question of the language.
    model.selectSoftware(wildcard, german, false);
    EXPECT_EQ(model.currentSoftware.id, wildcard);
    expectQuestionsOf(wildcard, german);
}

TEST_F(MainWindowModelTest, QuestionAndTicketChoiceDecideTheButtons) {
    window.open(model, nullptr, nullptr, u"Windows Vista");
    ASSERT_TRUE(window.chooseSoftware(model, u"Firefox - v121.0"));
    ASSERT_EQ(model.localeId, german);

    window.question.content = u"Wi";
    model.onTextChanged();
    EXPECT_FALSE(window.createEnabled);
    window.question.content = u"Wie";
    model.onTextChanged();
    EXPECT_TRUE(window.createEnabled);
    EXPECT_FALSE(window.showEnabled);

    const Ticket* ticket = window.questions().at(0);
    model.chooseTicket(ticket);
    EXPECT_EQ(model.selectedTicket, ticket);
    EXPECT_TRUE(window.showEnabled);
    // Typing and edits drop the choice; so does a choice of nothing.
    model.onTextChanged();
    EXPECT_EQ(model.selectedTicket, nullptr);
    EXPECT_FALSE(window.showEnabled);
    model.chooseTicket(ticket);
    model.questionEdited();
    EXPECT_EQ(model.selectedTicket, nullptr);
    EXPECT_FALSE(window.showEnabled);
    model.chooseTicket(nullptr);
    EXPECT_FALSE(window.showEnabled);

    // A new list replaces the records the choice pointed into.
    model.chooseTicket(ticket);
    model.chooseLanguage(french);
    EXPECT_EQ(model.selectedTicket, nullptr);
    EXPECT_FALSE(window.showEnabled);

    // Typing goes through the completer, which tells the model.
    window.question.content.clear();
    for (char16_t c : std::u16string(u"Com"))
        model.questionCompleter.onChar(c);
    EXPECT_EQ(window.question.content, String(u"Com"));
    EXPECT_TRUE(window.createEnabled);
    EXPECT_EQ(window.question.items.size(), 1u);
}

TEST_F(MainWindowModelTest, LanguageBoxVisitsEveryIdAndLeavesPlaceholders) {
    window.open(model, nullptr, nullptr, u"Windows Vista");
    locales.clear();
    locales.get(1) = LocaleEntry{1, 1031, u"Deutsch"};
    locales.get(5) = LocaleEntry{5, 1036, u"Fran\u00e7ais"};
    model.currentSoftware = SoftwareEntry{}; // no tickets: the language stays
    model.localeId = 5;
    model.fillLanguages();
    EXPECT_EQ(window.language.items.size(), 2u);
    EXPECT_EQ(window.language.selectedText(), String(u"Fran\u00e7ais"));
    // Ids 0 to 5 now all exist; the missing ones are empty.
    EXPECT_EQ(locales.count(), 6);
    EXPECT_EQ(locales.get(3).description, String());

    // A language without questions for the software gives way to the smallest
    // one with questions.
    ASSERT_TRUE(window.chooseSoftware(model, u"Firefox - v121.0"));
    EXPECT_EQ(model.localeId, german);
    EXPECT_EQ(window.language.selectedText(), String(u"Deutsch"));

    // Without a window only the language is decided.
    MainWindowModel closed{catalogue, tickets, locales, clicks};
    closed.currentSoftware = catalogue.entry(vlc);
    closed.fillLanguages();
    EXPECT_EQ(closed.localeId, english);
}

TEST_F(MainWindowModelTest, TicketCountShowsUnsolvedAndReloadsWhenTheServiceHoldsOthers) {
    window.open(model, nullptr, nullptr, u"Windows Vista");
    EXPECT_EQ(window.ticketCount, String(u"4"));
    EXPECT_EQ(reloads, 0);

    // No answer changes nothing.
    count = TicketCountUpdate();
    window.ticketCount = u"x";
    model.onTimer(MainWindowModel::ticketCountTimer);
    EXPECT_EQ(window.ticketCount, String(u"x"));
    EXPECT_EQ(reloads, 0);

    // Another total: the lists are reloaded and the language box filled anew.
    count = decideTicketCount(u"{\"unsolved\":\"5\",\"total\":\"7\"}", tickets.count());
    window.language.resetList();
    model.onTimer(MainWindowModel::ticketCountTimer);
    EXPECT_EQ(window.ticketCount, String(u"5"));
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(window.language.items.size(), 3u);
    EXPECT_EQ(window.language.selectedText(), String(u"Deutsch"));
}
