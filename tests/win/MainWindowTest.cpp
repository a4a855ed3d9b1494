#include "app/win/Lotse.h"
#include "app/win/TicketOverview.h"
#include "app/win/TrayIcon.h"
#include "resources/resource.h"
#include "service/CatalogueReload.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"
#include "service/TicketList.h"
#include "tests/StringPrinter.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace WindowTestSupport;

namespace {

// The application object's main window, created afresh as at start-up (with the
// demo service's lists when a service is given) and shown. Its decisions are
// tested natively with MainWindowModel; the end-to-end scripts use it as a user
// would. Here: the message handling that lives in the window alone.
class MainWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        lotse.quit = 0;
        if (WinTestEnvironment::servicePort != 0) {
            ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort);
            reloadCatalogues();
        }
        if (mainWindow.window)
            DestroyWindow(mainWindow.window);
        mainWindow.model.localeId = 1; // German
        mainWindow.create(IDD_MAIN, nullptr, true, false);
        ASSERT_NE(mainWindow.window, nullptr);
        mainWindow.show();
    }
    void TearDown() override {
        lotse.quit = 0;
        mainWindow.hide();
    }

    bool visible() const { return IsWindowVisible(mainWindow.window); }
    HWND item(int id) const { return GetDlgItem(mainWindow.window, id); }
    void click(int id) { SendMessageW(item(id), BM_CLICK, 0, 0); }
    // Chooses the item as a click in the drop-down list would.
    void choose(int box, int position) {
        SendMessageW(item(box), CB_SETCURSEL, static_cast<WPARAM>(position), 0);
        SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(box, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(item(box)));
    }
    void typeQuestion(const String& text) {
        HWND edit = FindWindowExW(item(IDC_MAIN_QUESTION), nullptr, L"Edit", nullptr);
        SetWindowTextW(edit, L"");
        for (int i = 0; i < text.length(); ++i)
            SendMessageW(edit, WM_CHAR, text[i], 1);
    }

    Lotse& lotse = Lotse::instance();
    MainWindow& mainWindow = lotse.mainWindow;
};

} // namespace

// The close box, the tray icon and the broadcasts. A second start and the
// setup's requests are also sent for real by single-instance.test.sh and
// setup-mutex.test.sh.
TEST_F(MainWindowTest, CommandsAndBroadcastsShowOrHideTheWindowButNeverEndIt) {
    struct Step {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool visibleAfter;
    } steps[] = {{WM_COMMAND, IDCANCEL, 0, false},
                 {TrayIcon::callbackMessage, 0, WM_LBUTTONDBLCLK, true},
                 {WM_COMMAND, IDCLOSE, 0, false},
                 {WM_SETTINGCHANGE, 0xFFFE, 0, true}, // a second start
                 {WM_QUIT, 0, 0, false},
                 {WM_SETTINGCHANGE, 0xFFFF, 0, false}, // no setup running: no quit
                 {WM_SETTINGCHANGE, 0, 0, false}};
    for (const Step& step : steps) {
        SendMessageW(mainWindow.window, step.message, step.wParam, step.lParam);
        EXPECT_EQ(visible(), step.visibleAfter) << step.message << " " << step.wParam;
    }
    EXPECT_EQ(lotse.quit, 0);
    EXPECT_TRUE(IsWindow(mainWindow.window));
}

// "Lösung zeigen" hands the chosen suggestion to the navigator, which gives the
// window back when it is closed. A ticket the service does not take keeps the
// question: the error shows over the still open dialog and nothing is stored.
TEST_F(MainWindowTest, ButtonsHandOverToTheNavigatorAndTheTicketDialog) {
    if (WinTestEnvironment::servicePort == 0)
        GTEST_SKIP() << "no service port given";
    const LRESULT firefox =
        SendMessageW(item(IDC_MAIN_SOFTWARE), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(L"Firefox - v121.0"));
    ASSERT_NE(firefox, CB_ERR);
    choose(IDC_MAIN_SOFTWARE, static_cast<int>(firefox));
    typeQuestion(u"Wie");
    ASSERT_GT(SendMessageW(item(IDC_MAIN_QUESTION), CB_GETCOUNT, 0, 0), 0);
    choose(IDC_MAIN_QUESTION, 0);
    ASSERT_TRUE(IsWindowEnabled(item(IDC_MAIN_SHOW_SOLUTION)));
    click(IDC_MAIN_SHOW_SOLUTION);
    EXPECT_FALSE(visible());
    ASSERT_TRUE(IsWindow(lotse.navigator.window));
    SendMessageW(lotse.navigator.window, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(visible());

    const String text = String::format(u"Wie drucke ich nur Seite %u?", GetTickCount());
    typeQuestion(text);
    String error;
    bool stillOpen = false;
    DialogSteps steps({{[&] { return lotse.createTicket.window != nullptr; },
                        [&] {
                            ServiceClient::setServer(u"localhost", 1); // nothing listens there
                            PostMessageW(GetDlgItem(lotse.createTicket.window, IDC_CREATE_CONFIRM),
                                         BM_CLICK, 0, 0);
                        }},
                       {[] { return threadWindowTitled(u"Fehler") != nullptr; },
                        [&] {
                            HWND box = threadWindowTitled(u"Fehler");
                            error = itemText(box, 0xFFFF);
                            PostMessageW(box, WM_COMMAND, IDOK, 0);
                        }},
                       {[] { return threadWindowTitled(u"Fehler") == nullptr; },
                        [&] {
                            stillOpen = IsWindowVisible(lotse.createTicket.window);
                            PostMessageW(lotse.createTicket.window, WM_COMMAND, IDCANCEL, 0);
                        }}},
                      [&] {
                          closeThreadWindows(u"Fehler");
                          if (lotse.createTicket.window)
                              PostMessageW(lotse.createTicket.window, WM_COMMAND, IDCANCEL, 0);
                      });
    click(IDC_MAIN_CREATE_TICKET); // returns when the dialog has closed
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort);
    ASSERT_TRUE(steps.finished());
    EXPECT_EQ(error, String(u"Das Ticket konnte nicht angelegt werden: "));
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(visible());
    EXPECT_EQ(windowText(item(IDC_MAIN_QUESTION)), text);
    EXPECT_TRUE(IsWindowEnabled(item(IDC_MAIN_CREATE_TICKET)));
    TicketList stored;
    stored.download();
    for (const auto& [id, ticket] : stored)
        EXPECT_NE(ticket.question, text);
}

// The overview of a ticket about two programs names the first without the
// list's "*", and the ticket's system beside this computer's. (The way from the
// list through the overview to the recorder is solve-ticket.test.sh's.)
TEST_F(MainWindowTest, OverviewNamesTheFirstProgramAndBothSystems) {
    if (WinTestEnvironment::servicePort == 0)
        GTEST_SKIP() << "no service port given";
    TicketOverview overview;
    overview.ticket = TicketList::instance().find(33); // Word and Excel in the demo data
    overview.create(IDD_TICKET_OVERVIEW, nullptr, true, false);
    ASSERT_NE(overview.window, nullptr);
    EXPECT_EQ(itemText(overview.window, IDC_OVERVIEW_QUESTION), overview.ticket.question);
    EXPECT_EQ(itemText(overview.window, IDC_OVERVIEW_SOFTWARE), String(u"Microsoft Excel - v16.0"));
    EXPECT_EQ(itemText(overview.window, IDC_OVERVIEW_OS), String(u"Windows 10 Pro"));
    EXPECT_EQ(itemText(overview.window, IDC_OVERVIEW_OWN_OS), SystemInfo::osDescription());
}
