#include "app/SoftwareCatalogue.h"
#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/CatalogueReload.h"
#include "service/LocaleCatalogue.h"
#include "service/ServiceClient.h"
#include "service/TicketCount.h"
#include "service/TicketList.h"
#include "tests/StringPrinter.h"
#include "tests/win/DialogSteps.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace WindowTestSupport;

namespace {

constexpr int german = 1, english = 2, french = 3; // the demo data's languages
constexpr int firefox = 8, vlc = 10, windows7 = 13;

String cue(int tickets) {
    return String::format(u"Nach was suchst du?             (%i Tickets verf\u00fcgbar)", tickets);
}

bool ticketDialogShown() {
    HWND dialog = Lotse::instance().createTicket.window;
    return dialog && IsWindowVisible(dialog);
}

// Presses OK in the message box with that title once it shows, keeping its text.
DialogSteps::Step confirmBox(const char16_t* title, String* text = nullptr) {
    return {[title] { return DialogStepsSupport::threadWindowTitled(title) != nullptr; },
            [title, text] {
                HWND box = DialogStepsSupport::threadWindowTitled(title);
                if (text)
                    *text = itemText(box, 0xFFFF);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }};
}

// Closes the ticket dialog and its boxes when a test gives up, so no modal loop
// is left open.
void cancelCreateTicket() {
    DialogStepsSupport::closeThreadWindows(u"Fehler");
    DialogStepsSupport::closeThreadWindows(u"Ticket angelegt");
    if (HWND dialog = Lotse::instance().createTicket.window)
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

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
        if (mainWindow.window)
            DestroyWindow(mainWindow.window);
        model.currentSoftware = SoftwareEntry();
        model.localeId = german;
        mainWindow.create(IDD_MAIN, nullptr, true, false);
        ASSERT_NE(mainWindow.window, nullptr);
        mainWindow.show();
        software = GetDlgItem(mainWindow.window, IDC_MAIN_SOFTWARE);
        language = GetDlgItem(mainWindow.window, IDC_MAIN_LANGUAGE);
        question = GetDlgItem(mainWindow.window, IDC_MAIN_QUESTION);
        questionEdit = FindWindowExW(question, nullptr, L"Edit", nullptr);
    }
    void TearDown() override {
        if (mainWindow.window) {
            SendMessageW(question, CB_SHOWDROPDOWN, FALSE, 0);
            SendMessageW(software, CB_SHOWDROPDOWN, FALSE, 0);
            mainWindow.hide();
        }
    }

    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(mainWindow.window, id)); }
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
        SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), CBN_SELCHANGE),
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
    void click(int id) { SendDlgItemMessageW(mainWindow.window, id, BM_CLICK, 0, 0); }
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
    MainWindow& mainWindow = lotse.mainWindow;
    MainWindowModel& model = mainWindow.model;
    HWND software = nullptr, language = nullptr, question = nullptr, questionEdit = nullptr;
    TicketList stored;
};

} // namespace

// The window as start-up leaves it, and its real controls wired to the model:
// the selection notifications of the three boxes, the typed question, the
// buttons and the keys the dialog manager hands to the question field.
TEST_F(MainWindowFlow, OpensWithTheCataloguesAndItsControlsDriveTheModel) {
    EXPECT_EQ(windowText(mainWindow.window), String(u"Lotse - 1.0.2"));
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
    }
    EXPECT_EQ(listed(language), 3);
    EXPECT_EQ(selectedText(language), String(u"Deutsch"));
    // The service's number of unsolved tickets.
    TicketCountUpdate count =
        decideTicketCount(ServiceClient::post(u"getticketcnt.php", ServiceClient::codeBody()),
                          TicketList::instance().count());
    ASSERT_TRUE(count.show);
    EXPECT_EQ(itemText(mainWindow.window, IDC_MAIN_TICKET_COUNT), count.unsolvedText);
    EXPECT_FALSE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_FALSE(enabled(IDC_MAIN_SHOW_SOLUTION));
    // Wine reports Windows 7, which the demo catalogue holds: it is preselected
    // with its questions.
    EXPECT_EQ(model.currentSoftware.id, windows7);
    EXPECT_EQ(selectedText(software), String(u"Windows 7"));
    EXPECT_EQ(listed(question), offered(windows7, german));
    EXPECT_EQ(itemText(mainWindow.window, IDC_MAIN_QUESTION_GROUP), cue(offered(windows7, german)));

    // VLC has questions in English only: the language box follows.
    choose(software, String(u"VLC media player - v3.0"));
    EXPECT_EQ(model.currentSoftware.id, vlc);
    EXPECT_EQ(selectedText(language), String(u"English"));
    EXPECT_EQ(listed(question), offered(vlc, english));
    choose(language, String(u"Fran\u00e7ais"));
    EXPECT_EQ(model.localeId, french);
    EXPECT_EQ(itemText(mainWindow.window, IDC_MAIN_QUESTION_GROUP), cue(0));

    choose(software, String(u"Firefox - v121.0"));
    choose(language, String(u"Deutsch"));

    // The question: three characters enable "Neues Ticket anlegen"; a chosen
    // suggestion enables "Lösung zeigen" until the field is edited.
    SetFocus(questionEdit);
    type(questionEdit, u"Wie");
    EXPECT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_EQ(listed(question), offered(firefox, german));
    EXPECT_TRUE(SendMessageW(question, CB_GETDROPPEDSTATE, 0, 0));
    choose(question, 0);
    ASSERT_NE(model.selectedTicket, nullptr);
    EXPECT_EQ(model.selectedTicket->question, selectedText(question));
    EXPECT_TRUE(enabled(IDC_MAIN_SHOW_SOLUTION));
    // "Lösung zeigen" hands over to the navigator, which waits for Firefox here
    // and gives the window back when it is closed.
    click(IDC_MAIN_SHOW_SOLUTION);
    EXPECT_FALSE(IsWindowVisible(mainWindow.window));
    ASSERT_TRUE(IsWindow(lotse.navigator.window));
    SendMessageW(lotse.navigator.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(lotse.navigator.window);
    EXPECT_TRUE(IsWindowVisible(mainWindow.window));
    SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(IDC_MAIN_QUESTION, CBN_EDITUPDATE),
                 reinterpret_cast<LPARAM>(question));
    EXPECT_EQ(model.selectedTicket, nullptr);
    EXPECT_FALSE(enabled(IDC_MAIN_SHOW_SOLUTION));

    // Enter and Escape stay in the field: Escape does not hide the window.
    MSG escape{questionEdit, WM_KEYDOWN, VK_ESCAPE, 0x00010001, GetTickCount(), {}};
    EXPECT_TRUE(IsDialogMessageW(mainWindow.window, &escape));
    EXPECT_TRUE(IsWindowVisible(mainWindow.window));
    EXPECT_EQ(SendMessageW(questionEdit, WM_GETDLGCODE, VK_RETURN, 0), DLGC_WANTALLKEYS);

    // "Tickets lösen" reloads the lists and, with no ticket chosen, comes back.
    TicketList::instance().find(999999);
    click(IDC_MAIN_SOLVE_TICKETS);
    EXPECT_EQ(TicketList::instance().all().count(999999), 0u);
    EXPECT_EQ(listed(language), 3);
    EXPECT_TRUE(IsWindowVisible(mainWindow.window));

    // Typed into the software box, the only match stands first in the list.
    HWND softwareEdit = FindWindowExW(software, nullptr, L"Edit", nullptr);
    SendMessageW(software, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    type(softwareEdit, u"VLC");
    ASSERT_EQ(listed(software), 1);
    choose(software, 0);
    EXPECT_EQ(model.currentSoftware.id, vlc);
}

// "Software wählen" starts and ends the pick; what the software box then holds
// selects the entry it begins (without regard to case) or empties the questions.
// Timer 4 brings the window back.
TEST_F(MainWindowFlow, PickButtonEndsWithTheEntryTheSoftwareTextBegins) {
    auto pumpUntilShown = [&] {
        for (int i = 0; i < 100 && !IsWindowVisible(mainWindow.window); ++i) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            pumpMessages();
        }
        return IsWindowVisible(mainWindow.window);
    };
    click(IDC_MAIN_PICK);
    EXPECT_TRUE(model.picking);
    EXPECT_EQ(itemText(mainWindow.window, IDC_MAIN_PICK), String(u"Abbrechen"));
    SetWindowTextW(software, L"vlc media");
    mainWindow.hide();
    click(IDC_MAIN_PICK);
    EXPECT_FALSE(model.picking);
    EXPECT_EQ(itemText(mainWindow.window, IDC_MAIN_PICK), String(u"Software w\u00e4hlen..."));
    EXPECT_EQ(selectedText(software), String(u"VLC media player - v3.0"));
    EXPECT_EQ(model.currentSoftware.id, vlc);
    EXPECT_EQ(selectedText(language), String(u"English"));
    EXPECT_EQ(listed(question), offered(vlc, english));
    EXPECT_TRUE(pumpUntilShown());

    // Ended by Escape with a software the catalogue does not hold.
    click(IDC_MAIN_PICK);
    SetWindowTextW(software, L"Unbekannt - v1.0");
    mainWindow.hide();
    lotse.cancelPick();
    EXPECT_FALSE(model.picking);
    EXPECT_EQ(listed(question), 0);
    EXPECT_EQ(windowText(software), String(u"Unbekannt - v1.0"));
    EXPECT_TRUE(pumpUntilShown());
}

// "Neues Ticket anlegen" against the service: the dialog shows and sends what
// the main window held when it opened, even when the user asks again while it
// is open; the stored question leaves the field.
TEST_F(MainWindowFlow, CreatingATicketStoresWhatTheDialogShowsAndEmptiesTheQuestion) {
    choose(software, String(u"Firefox - v121.0"));
    const String text = String::format(u"Wie drucke ich nur die Seite %u aus?", GetTickCount());
    type(questionEdit, text);
    ASSERT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));

    HWND first = nullptr, afterSecondClick = nullptr;
    String shownSoftware, shownQuestion, announcement;
    bool mainHidden = false;
    DialogSteps steps({{ticketDialogShown,
                        [&] {
                            first = lotse.createTicket.window;
                            mainHidden = !IsWindowVisible(mainWindow.window);
                            // From the tray the main window comes back while the
                            // dialog is open, and the user asks again.
                            mainWindow.show();
                            choose(software, String(u"VLC media player - v3.0"));
                            SetWindowTextW(questionEdit, L"");
                            type(questionEdit, u"Und wie spiele ich Videos ab?");
                            click(IDC_MAIN_CREATE_TICKET); // only brings the dialog up
                            afterSecondClick = lotse.createTicket.window;
                            shownSoftware = itemText(first, IDC_CREATE_SOFTWARE);
                            shownQuestion = itemText(first, IDC_CREATE_QUESTION);
                            PostMessageW(GetDlgItem(first, IDC_CREATE_CONFIRM), BM_CLICK, 0, 0);
                        }},
                       confirmBox(u"Ticket angelegt", &announcement)},
                      cancelCreateTicket);
    click(IDC_MAIN_CREATE_TICKET); // returns when the dialog has closed
    ASSERT_TRUE(steps.finished());

    EXPECT_TRUE(mainHidden);
    EXPECT_EQ(afterSecondClick, first);
    EXPECT_EQ(shownSoftware, String(u"Firefox - v121.0"));
    EXPECT_EQ(shownQuestion, text);
    EXPECT_EQ(announcement, String(u"Das Ticket wurde erfolgreich angelegt"));
    EXPECT_EQ(lotse.createTicket.window, nullptr);
    EXPECT_EQ(lotse.createTicket.modeless, 0);

    // Back in the main window, the question is gone.
    EXPECT_TRUE(IsWindowVisible(mainWindow.window));
    EXPECT_EQ(windowText(question), String());
    EXPECT_FALSE(enabled(IDC_MAIN_CREATE_TICKET));

    // The service holds it, and the reloaded list in memory knows it.
    const Ticket* ticket = storedTicket(text);
    ASSERT_NE(ticket, nullptr);
    EXPECT_EQ(ticket->id_locale, german);
    EXPECT_EQ(ticket->software_list, std::set<int>{firefox});
    EXPECT_EQ(ticket->id_state, TicketWaiting);
    EXPECT_EQ(TicketList::instance().find(ticket->id).question, text);
    EXPECT_EQ(storedTicket(u"Und wie spiele ich Videos ab?"), nullptr);
}

TEST_F(MainWindowFlow, CancelledOrFailedTicketKeepsTheQuestionAndStoresNothing) {
    choose(software, String(u"VLC media player - v3.0"));
    const String text = String::format(u"How do I record my screen %u?", GetTickCount());
    type(questionEdit, text);

    String error;
    bool stillOpen = false;
    DialogSteps steps({{ticketDialogShown,
                        [&] {
                            // The service cannot be reached.
                            ServiceClient::setServer(u"localhost", 1);
                            PostMessageW(GetDlgItem(lotse.createTicket.window, IDC_CREATE_CONFIRM),
                                         BM_CLICK, 0, 0);
                        }},
                       confirmBox(u"Fehler", &error),
                       {[] { return !DialogStepsSupport::threadWindowTitled(u"Fehler"); },
                        [&] {
                            stillOpen = ticketDialogShown();
                            ServiceClient::setServer(u"localhost",
                                                     WinTestEnvironment::servicePort());
                            // Escape in a dialog is IDCANCEL.
                            PostMessageW(lotse.createTicket.window, WM_COMMAND, IDCANCEL, 0);
                        }}},
                      cancelCreateTicket);
    click(IDC_MAIN_CREATE_TICKET);
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
    ASSERT_TRUE(steps.finished());

    EXPECT_EQ(error, String(u"Das Ticket konnte nicht angelegt werden: "));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(IsWindowVisible(mainWindow.window));
    EXPECT_EQ(windowText(question), text);
    EXPECT_TRUE(enabled(IDC_MAIN_CREATE_TICKET));
    EXPECT_EQ(storedTicket(text), nullptr);
}
