#include "app/SoftwareCatalogue.h"
#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/CatalogueReload.h"
#include "service/LocaleCatalogue.h"
#include "service/ServiceClient.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"
#include "tests/StringPrinter.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace WindowTestSupport;

namespace {

constexpr int german = 1, english = 2, french = 3; // the demo data's languages
constexpr int firefox = 8, vlc = 10, windows10 = 2, windows7 = 13;

String cue(int tickets) {
    return String::format(u"Nach was suchst du?             (%i Tickets verf\u00fcgbar)", tickets);
}

HWND findThreadWindow(const String& title) {
    struct Search {
        String title;
        HWND found = nullptr;
    } search{title};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (windowText(window) == s->title && IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A step that waits for the message box with that title, keeps its text when
// asked to, and presses OK.
std::function<bool()> confirmBox(const char16_t* title, String* text = nullptr) {
    return [title, text] {
        HWND box = findThreadWindow(title);
        if (!box)
            return false;
        if (text)
            *text = itemText(box, 0xFFFF);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    };
}

// Closes the ticket dialog when a test gives up, so no modal loop is left open.
void cancelCreateTicket() {
    if (HWND dialog = Lotse::instance().createTicket.window)
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Runs steps from a thread timer, that is inside whatever message loop runs
// (a modal dialog's, a message box's). A step is repeated every 50 ms until it
// returns true; after `limit` ticks the rest is given up and `rescue` runs.
class PolledSteps {
  public:
    PolledSteps(std::vector<std::function<bool()>> list, std::function<void()> onTimeout)
        : steps(std::move(list)), rescue(std::move(onTimeout)) {
        current = this;
        timer = SetTimer(nullptr, 0, 50, tick);
    }
    ~PolledSteps() {
        KillTimer(nullptr, timer);
        current = nullptr;
    }
    bool finished() const { return next >= steps.size(); }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        PolledSteps* self = current;
        if (!self || self->running || self->finished())
            return;
        self->running = true;
        if (++self->ticks > limit) {
            self->next = self->steps.size();
            self->rescue();
        } else if (self->steps[self->next]()) {
            ++self->next;
        }
        self->running = false;
    }
    static constexpr int limit = 600;
    static inline PolledSteps* current = nullptr;
    std::vector<std::function<bool()>> steps;
    std::function<void()> rescue;
    size_t next = 0;
    int ticks = 0;
    bool running = false;
    UINT_PTR timer = 0;
};

// The application object's main window against the demo-data service, created
// afresh for every test as at start-up.
class MainWindowFlow : public testing::Test {
  protected:
    void SetUp() override {
        if (WinTestEnvironment::servicePort() == 0)
            GTEST_SKIP() << "no service port given";
        ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
        reloadCatalogues();
        ASSERT_GT(TicketList::instance().count(), 0) << "the service did not answer";
        if (lotse.window)
            DestroyWindow(lotse.window);
        lotse.currentSoftware = SoftwareEntry();
        lotse.localeId = german;
        lotse.create(IDD_MAIN, nullptr, true, false);
        ASSERT_NE(lotse.window, nullptr);
        lotse.showMainWindow();
        software = GetDlgItem(lotse.window, IDC_MAIN_SOFTWARE);
        language = GetDlgItem(lotse.window, IDC_MAIN_LANGUAGE);
        question = GetDlgItem(lotse.window, IDC_MAIN_QUESTION);
        questionEdit = FindWindowExW(question, nullptr, L"Edit", nullptr);
    }
    void TearDown() override {
        if (lotse.window) {
            SendMessageW(question, CB_SHOWDROPDOWN, FALSE, 0);
            SendMessageW(software, CB_SHOWDROPDOWN, FALSE, 0);
            lotse.hideMainWindow();
        }
    }

    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(lotse.window, id)); }
    int listed(HWND box) const { return static_cast<int>(SendMessageW(box, CB_GETCOUNT, 0, 0)); }
    String selectedText(HWND box) const {
        LRESULT i = SendMessageW(box, CB_GETCURSEL, 0, 0);
        if (i == CB_ERR)
            return u"<none>";
        wchar_t text[512] = {};
        SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        return fromWide(text);
    }
    // Chooses the item as a click in the drop-down list would.
    void choose(HWND box, int position) {
        SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
        SendMessageW(lotse.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
    }
    void choose(HWND box, const String& text) {
        LRESULT i = SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(wide(text)));
        ASSERT_NE(i, CB_ERR) << "no item " << testing::PrintToString(text);
        choose(box, static_cast<int>(i));
    }
    void type(HWND edit, const String& text) {
        for (int i = 0; i < text.length(); ++i)
            SendMessageW(edit, WM_CHAR, text[i], 1);
    }
    void click(int id) { SendDlgItemMessageW(lotse.window, id, BM_CLICK, 0, 0); }
    // The number of questions the search offers for software and language.
    int offered(int softwareId, int localeId) {
        std::vector<Ticket> found;
        TicketList::instance().search(found, String(), softwareId, localeId);
        return static_cast<int>(found.size());
    }
    // The tickets as the service has them now.
    const Ticket* storedTicket(const String& text) {
        stored.download();
        for (const auto& [id, ticket] : stored)
            if (ticket.question == text)
                return &ticket;
        return nullptr;
    }

    Lotse& lotse = Lotse::instance();
    HWND software = nullptr, language = nullptr, question = nullptr, questionEdit = nullptr;
    TicketList stored;
};

} // namespace

TEST_F(MainWindowFlow, OpensWithTheCataloguesFilled) {
    EXPECT_EQ(windowText(lotse.window), String(u"Lotse - 1.0.2"));
    // Every catalogue entry, each item carrying a copy of its entry.
    const SoftwareCatalogue& catalogue = SoftwareCatalogue::instance();
    ASSERT_EQ(listed(software), catalogue.count());
    for (int i = 0; i < listed(software); ++i) {
        auto* entry = reinterpret_cast<const SoftwareEntry*>(
            SendMessageW(software, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        ASSERT_NE(entry, nullptr);
        wchar_t text[512] = {};
        SendMessageW(software, CB_GETLBTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(displayText(*entry), fromWide(text));
        EXPECT_EQ(entry->file_desc, catalogue.all().at(entry->id).file_desc);
    }
    // The languages, the chosen one selected.
    EXPECT_EQ(listed(language), 3);
    EXPECT_EQ(selectedText(language), String(u"Deutsch"));
    // The service's number of unsolved tickets.
    TicketCountUpdate count =
        decideTicketCount(ServiceClient::post(u"getticketcnt.php", ServiceClient::codeBody()),
                          TicketList::instance().count());
    ASSERT_TRUE(count.show);
    EXPECT_EQ(itemText(lotse.window, IDC_MAIN_TICKET_COUNT), count.unsolvedText);
    EXPECT_FALSE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_FALSE(enabled(IDC_MAIN_SHOW_SOLUTION));
    EXPECT_TRUE(enabled(IDC_MAIN_SOLVE_TICKETS));
    // Wine reports Windows 7, which the demo catalogue holds: it is preselected
    // with its questions.
    EXPECT_EQ(lotse.currentSoftware.id, windows7);
    EXPECT_EQ(selectedText(software), String(u"Windows 7"));
    EXPECT_EQ(listed(question), offered(windows7, german));
    EXPECT_EQ(itemText(lotse.window, IDC_MAIN_QUESTION_GROUP), cue(offered(windows7, german)));
}

TEST_F(MainWindowFlow, PreselectsTheCatalogueEntryNamedInTheSystemName) {
    // A system the catalogue does not name leaves the software as it was.
    const int before = lotse.currentSoftware.id;
    lotse.preselectOperatingSystem(u"Windows Vista");
    EXPECT_EQ(lotse.currentSoftware.id, before);

    lotse.preselectOperatingSystem(u"Windows 10 Pro");
    EXPECT_EQ(lotse.currentSoftware.id, windows10);
    EXPECT_EQ(windowText(software), String(u"Windows 10"));
    EXPECT_EQ(selectedText(software), String(u"Windows 10"));
    EXPECT_EQ(lotse.localeId, german);
    EXPECT_EQ(listed(question), offered(windows10, german));
    EXPECT_EQ(itemText(lotse.window, IDC_MAIN_QUESTION_GROUP), cue(offered(windows10, german)));
}

TEST_F(MainWindowFlow, ChoosingSoftwareOrLanguageSwitchesLanguageAndRecountsQuestions) {
    // VLC has questions in English only: the language follows.
    choose(software, String(u"VLC media player - v3.0"));
    EXPECT_EQ(lotse.currentSoftware.id, vlc);
    EXPECT_EQ(lotse.localeId, english);
    EXPECT_EQ(selectedText(language), String(u"English"));
    ASSERT_GT(offered(vlc, english), 0);
    EXPECT_EQ(listed(question), offered(vlc, english));
    EXPECT_EQ(itemText(lotse.window, IDC_MAIN_QUESTION_GROUP), cue(offered(vlc, english)));
    for (int i = 0; i < listed(question); ++i) {
        auto* ticket = reinterpret_cast<const Ticket*>(
            SendMessageW(question, CB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        ASSERT_NE(ticket, nullptr);
        EXPECT_TRUE(ticket->software_list.count(vlc));
        EXPECT_EQ(ticket->id_locale, english);
    }

    // Choosing a language keeps the software and recounts.
    choose(language, String(u"Fran\u00e7ais"));
    EXPECT_EQ(lotse.localeId, french);
    EXPECT_EQ(lotse.currentSoftware.id, vlc);
    EXPECT_EQ(listed(question), 0);
    EXPECT_EQ(itemText(lotse.window, IDC_MAIN_QUESTION_GROUP), cue(0));

    // Firefox has a French question: the language stays.
    choose(software, String(u"Firefox - v121.0"));
    EXPECT_EQ(lotse.localeId, french);
    EXPECT_EQ(selectedText(language), String(u"Fran\u00e7ais"));
    EXPECT_EQ(itemText(lotse.window, IDC_MAIN_QUESTION_GROUP), cue(offered(firefox, french)));
    EXPECT_EQ(offered(firefox, french), 1);

    // Typed into the software box, the only match stands first in the list;
    // choosing it takes it.
    HWND softwareEdit = FindWindowExW(software, nullptr, L"Edit", nullptr);
    SendMessageW(software, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    type(softwareEdit, u"VLC");
    ASSERT_EQ(listed(software), 1);
    choose(software, 0);
    EXPECT_EQ(lotse.currentSoftware.id, vlc);
    EXPECT_EQ(lotse.localeId, english);
}

TEST_F(MainWindowFlow, TypingTheQuestionEnablesCreateAndChoosingATicketEnablesShow) {
    choose(software, String(u"Firefox - v121.0"));
    ASSERT_EQ(lotse.localeId, german);
    SetFocus(questionEdit);

    type(questionEdit, u"Wi");
    EXPECT_FALSE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_EQ(listed(question), 0);
    type(questionEdit, u"e");
    EXPECT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_FALSE(enabled(IDC_MAIN_SHOW_SOLUTION));
    EXPECT_EQ(listed(question), offered(firefox, german));
    EXPECT_TRUE(SendMessageW(question, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(windowText(question), String(u"Wie"));

    // A suggestion chosen from the list.
    choose(question, 0);
    ASSERT_NE(lotse.selectedTicket, nullptr);
    EXPECT_TRUE(enabled(IDC_MAIN_SHOW_SOLUTION));
    EXPECT_EQ(lotse.selectedTicket->question, selectedText(question));
    EXPECT_TRUE(lotse.selectedTicket->software_list.count(firefox));

    // "Lösung zeigen" hands over to the navigator, which gives the window back.
    click(IDC_MAIN_SHOW_SOLUTION);
    EXPECT_TRUE(IsWindowVisible(lotse.window));

    // Any typing drops the choice again; so does an edit the field reports.
    // (The chosen question stands selected in the field; typing at its end
    // keeps it.)
    const int end = windowText(question).length();
    SendMessageW(question, CB_SETEDITSEL, 0, MAKELPARAM(end, end));
    type(questionEdit, u" ");
    EXPECT_EQ(listed(question), 1);
    EXPECT_EQ(lotse.selectedTicket, nullptr);
    EXPECT_FALSE(enabled(IDC_MAIN_SHOW_SOLUTION));
    choose(question, 0);
    EXPECT_TRUE(enabled(IDC_MAIN_SHOW_SOLUTION));
    SendMessageW(lotse.window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_QUESTION, CBN_EDITUPDATE),
                 reinterpret_cast<LPARAM>(question));
    EXPECT_EQ(lotse.selectedTicket, nullptr);
    EXPECT_FALSE(enabled(IDC_MAIN_SHOW_SOLUTION));

    // Enter and Escape stay in the field: the dialog manager hands them to it,
    // so Escape does not hide the window.
    type(questionEdit, u"x");
    ASSERT_TRUE(IsWindowVisible(lotse.window));
    MSG escape{questionEdit, WM_KEYDOWN, VK_ESCAPE, 0x00010001, GetTickCount(), {}};
    EXPECT_TRUE(IsDialogMessageW(lotse.window, &escape));
    EXPECT_TRUE(IsWindowVisible(lotse.window));
    EXPECT_EQ(SendMessageW(questionEdit, WM_GETDLGCODE, VK_RETURN, 0), DLGC_WANTALLKEYS);
}

TEST_F(MainWindowFlow, TypingWithTheKeyboardGoesThroughTheCompleter) {
    choose(software, String(u"Firefox - v121.0"));
    SetForegroundWindow(lotse.window);
    SetFocus(questionEdit);
    ASSERT_EQ(GetFocus(), questionEdit);
    const String typed = u"verlauf";
    std::vector<INPUT> keys;
    for (int i = 0; i < typed.length(); ++i) {
        for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
            INPUT key{};
            key.type = INPUT_KEYBOARD;
            key.ki.wScan = typed[i];
            key.ki.dwFlags = KEYEVENTF_UNICODE | up;
            keys.push_back(key);
        }
    }
    ASSERT_EQ(SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)), keys.size());
    for (int i = 0; i < 100 && windowText(question) != typed; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    EXPECT_EQ(windowText(question), typed);
    EXPECT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));
    ASSERT_EQ(listed(question), 1);
    EXPECT_EQ(selectedText(question), String(u"<none>"));
}

TEST_F(MainWindowFlow, CreatingATicketStoresItAndEmptiesTheQuestion) {
    choose(software, String(u"Firefox - v121.0"));
    const String text = String::format(u"Wie drucke ich nur die Seite %u aus?", GetTickCount());
    type(questionEdit, text);
    ASSERT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));

    String shownSoftware, shownQuestion, announcement;
    bool mainHidden = false;
    PolledSteps steps({[&] {
                           if (!lotse.createTicket.window ||
                               !IsWindowVisible(lotse.createTicket.window))
                               return false;
                           HWND dialog = lotse.createTicket.window;
                           shownSoftware = itemText(dialog, IDC_CREATE_SOFTWARE);
                           shownQuestion = itemText(dialog, IDC_CREATE_QUESTION);
                           mainHidden = !IsWindowVisible(lotse.window);
                           PostMessageW(GetDlgItem(dialog, IDC_CREATE_CONFIRM), BM_CLICK, 0, 0);
                           return true;
                       },
                       confirmBox(u"Ticket angelegt", &announcement)},
                      cancelCreateTicket);
    click(IDC_MAIN_CREATE_TICKET); // returns when the dialog has closed
    ASSERT_TRUE(steps.finished());

    EXPECT_TRUE(mainHidden);
    EXPECT_EQ(shownSoftware, String(u"Firefox - v121.0"));
    EXPECT_EQ(shownQuestion, text);
    EXPECT_EQ(announcement, String(u"Das Ticket wurde erfolgreich angelegt"));
    EXPECT_EQ(lotse.createTicket.window, nullptr);
    EXPECT_EQ(lotse.createTicket.modeless, 0);

    // Back in the main window, the question is gone.
    EXPECT_TRUE(IsWindowVisible(lotse.window));
    EXPECT_EQ(windowText(question), String());
    EXPECT_FALSE(enabled(IDC_MAIN_CREATE_TICKET));

    // The service holds it, and the reloaded list in memory knows it.
    const Ticket* ticket = storedTicket(text);
    ASSERT_NE(ticket, nullptr);
    EXPECT_EQ(ticket->id_locale, german);
    EXPECT_EQ(ticket->software_list, std::set<int>{firefox});
    EXPECT_EQ(ticket->id_state, TicketWaiting);
    EXPECT_EQ(TicketList::instance().count(), stored.count());
    EXPECT_EQ(TicketList::instance().find(ticket->id).question, text);
}

TEST_F(MainWindowFlow, TicketDialogThatIsOpenKeepsWhatItShowsAndSends) {
    choose(software, String(u"Firefox - v121.0"));
    const String asked = String::format(u"Wo finde ich die Lesezeichen %u?", GetTickCount());
    type(questionEdit, asked);

    const String other = String::format(u"Und wie spiele ich Videos ab %u?", GetTickCount());
    HWND first = nullptr, afterSecondClick = nullptr;
    String shownQuestion, shownSoftware;
    PolledSteps steps({[&] {
                           if (!lotse.createTicket.window ||
                               !IsWindowVisible(lotse.createTicket.window))
                               return false;
                           first = lotse.createTicket.window;
                           // From the tray the main window comes back while the
                           // dialog is open, and the user asks again.
                           lotse.showMainWindow();
                           choose(software, String(u"VLC media player - v3.0"));
                           SetWindowTextW(questionEdit, L"");
                           type(questionEdit, other);
                           click(IDC_MAIN_CREATE_TICKET); // only brings the dialog up
                           afterSecondClick = lotse.createTicket.window;
                           shownQuestion = itemText(first, IDC_CREATE_QUESTION);
                           shownSoftware = itemText(first, IDC_CREATE_SOFTWARE);
                           PostMessageW(GetDlgItem(first, IDC_CREATE_CONFIRM), BM_CLICK, 0, 0);
                           return true;
                       },
                       confirmBox(u"Ticket angelegt")},
                      cancelCreateTicket);
    click(IDC_MAIN_CREATE_TICKET);
    ASSERT_TRUE(steps.finished());

    EXPECT_EQ(afterSecondClick, first);
    EXPECT_EQ(shownQuestion, asked);
    EXPECT_EQ(shownSoftware, String(u"Firefox - v121.0"));
    const Ticket* ticket = storedTicket(asked);
    ASSERT_NE(ticket, nullptr);
    EXPECT_EQ(ticket->software_list, std::set<int>{firefox});
    EXPECT_EQ(ticket->id_locale, german);
    EXPECT_EQ(storedTicket(other), nullptr);
}

TEST_F(MainWindowFlow, CancelledOrFailedTicketKeepsTheQuestionAndStoresNothing) {
    choose(software, String(u"VLC media player - v3.0"));
    const String text = String::format(u"How do I record my screen %u?", GetTickCount());
    type(questionEdit, text);

    String error;
    bool stillOpen = false;
    PolledSteps steps(
        {[&] {
             if (!lotse.createTicket.window || !IsWindowVisible(lotse.createTicket.window))
                 return false;
             // The service cannot be reached.
             ServiceClient::setServer(u"localhost", 1);
             PostMessageW(GetDlgItem(lotse.createTicket.window, IDC_CREATE_CONFIRM), BM_CLICK, 0,
                          0);
             return true;
         },
         confirmBox(u"Fehler", &error),
         [&] {
             if (findThreadWindow(u"Fehler"))
                 return false;
             stillOpen = lotse.createTicket.window && IsWindowVisible(lotse.createTicket.window);
             ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
             // Escape in a dialog is IDCANCEL.
             PostMessageW(lotse.createTicket.window, WM_COMMAND, IDCANCEL, 0);
             return true;
         }},
        cancelCreateTicket);
    click(IDC_MAIN_CREATE_TICKET);
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
    ASSERT_TRUE(steps.finished());

    EXPECT_EQ(error, String(u"Das Ticket konnte nicht angelegt werden: "));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(IsWindowVisible(lotse.window));
    EXPECT_EQ(windowText(question), text);
    EXPECT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_EQ(storedTicket(text), nullptr);
}

TEST_F(MainWindowFlow, TicketCountShowsUnsolvedAndReloadsWhenTheListDiffers) {
    SetDlgItemTextW(lotse.window, IDC_MAIN_TICKET_COUNT, L"x");
    const int tickets = TicketList::instance().count();
    lotse.updateTicketCount();
    const String unsolved = itemText(lotse.window, IDC_MAIN_TICKET_COUNT);
    EXPECT_NE(unsolved, String(u"x"));
    EXPECT_GT(unsolved.toInt(), 0);
    EXPECT_EQ(TicketList::instance().count(), tickets);

    // One ticket more in memory than on the service: everything is reloaded
    // and the language box filled anew.
    TicketList::instance().find(999999);
    SendMessageW(language, CB_RESETCONTENT, 0, 0);
    lotse.updateTicketCount();
    EXPECT_EQ(TicketList::instance().count(), tickets);
    EXPECT_EQ(TicketList::instance().all().count(999999), 0u);
    EXPECT_EQ(listed(language), 3);
    EXPECT_EQ(selectedText(language), String(u"Deutsch"));

    // "Tickets lösen" reloads as well and, with no ticket chosen, comes back.
    TicketList::instance().find(999999);
    click(IDC_MAIN_SOLVE_TICKETS);
    EXPECT_EQ(TicketList::instance().all().count(999999), 0u);
    EXPECT_TRUE(IsWindowVisible(lotse.window));
}

TEST_F(MainWindowFlow, LanguageBoxVisitsEveryIdAndLeavesPlaceholders) {
    LocaleCatalogue& locales = LocaleCatalogue::instance();
    locales.clear();
    locales.get(1) = LocaleEntry{1, 1031, u"Deutsch"};
    locales.get(5) = LocaleEntry{5, 1036, u"Fran\u00e7ais"};
    lotse.currentSoftware = SoftwareEntry{}; // no tickets: the language stays
    lotse.localeId = 5;
    lotse.fillLanguages();
    EXPECT_EQ(listed(language), 2);
    EXPECT_EQ(selectedText(language), String(u"Fran\u00e7ais"));
    // Ids 0 to 5 now all exist; the missing ones are empty.
    EXPECT_EQ(locales.count(), 6);
    EXPECT_EQ(locales.get(3).description, String());
    EXPECT_EQ(locales.count(), 6);

    // A language without questions for the current software gives way to the
    // smallest one with questions.
    choose(software, String(u"Firefox - v121.0"));
    EXPECT_EQ(lotse.localeId, german);
    EXPECT_EQ(selectedText(language), String(u"Deutsch"));
    reloadCatalogues();
}
