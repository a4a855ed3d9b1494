#include "app/win/Lotse.h"
#include "resources/resource.h"
#include "service/CatalogueReload.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"
#include "service/TicketList.h"
#include "tests/StringPrinter.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace WindowTestSupport;

namespace {

// Input reaches the grid as a user's would: posted, through the list's modal
// loop and its dialog manager.
LPARAM middleOf(const GridRect& rect) {
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}
void click(HWND grid, LPARAM point) {
    PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(grid, WM_LBUTTONUP, 0, point);
}
void doubleClick(HWND grid, LPARAM point) {
    click(grid, point);
    PostMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageW(grid, WM_LBUTTONUP, 0, point);
}
// The solve-ticket list of the application object over the demo service's
// tickets, opened as "Tickets lösen" opens it: modal, over the main window.
class SolveTicketTest : public testing::Test {
  protected:
    void SetUp() override {
        if (WinTestEnvironment::servicePort == 0)
            GTEST_SKIP() << "no service port given";
        ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort);
        reloadCatalogues();
        if (!mainWindow.window || !IsWindow(mainWindow.window)) {
            mainWindow.model.localeId = 1; // German
            mainWindow.create(IDD_MAIN, nullptr, true, false);
        }
        ASSERT_NE(mainWindow.window, nullptr);
        mainWindow.show();
    }
    void TearDown() override { mainWindow.hide(); }

    bool open(const Template& dialog) const { return dialog.window && IsWindow(dialog.window); }
    DataGridModel& grid() { return *list.state(); }
    // Closes whatever the steps left open.
    void giveUp() {
        for (Template* dialog : std::initializer_list<Template*>{&lotse.recorder, &list.overview,
                                                                 static_cast<Template*>(&list)})
            if (open(*dialog))
                PostMessageW(dialog->window, WM_COMMAND, IDCANCEL, 0);
    }

    Lotse& lotse = Lotse::instance();
    MainWindow& mainWindow = lotse.mainWindow;
    SolveTicket& list = lotse.solveTicket;
};

} // namespace

// A double click opens the row's overview; closing it keeps the list, and
// "Ticket lösen" closes both and opens the recorder for that ticket, which
// gives the main window back when it closes.
TEST_F(SolveTicketTest, TheOverviewOfADoubleClickedRowHandsItsTicketToTheRecorder) {
    constexpr int twoPrograms = 33; // Word and Excel in the demo data
    const String question = TicketList::instance().find(twoPrograms).question;
    auto doubleClickTicket = [&] {
        for (int r = 0; r < grid().rowCount(); ++r)
            if (grid().row(r).rowData == twoPrograms)
                doubleClick(list.gridWindow, middleOf(grid().cellRect(r, 0)));
    };
    String shownQuestion, software, system, ownSystem, recorderQuestion;
    bool listAfterClose = false, listAfterSolve = true, overviewAfterSolve = true;
    bool mainWithList = true, mainWhileRecording = true;
    int recorderTicket = 0;
    DialogSteps steps(
        {{[&] { return open(list) && list.state() && grid().rowCount() > 0; },
          [&] {
              mainWithList = IsWindowVisible(mainWindow.window);
              doubleClickTicket();
          }},
         {[&] { return open(list.overview); },
          [&] {
              HWND overview = list.overview.window;
              shownQuestion = itemText(overview, IDC_OVERVIEW_QUESTION);
              software = itemText(overview, IDC_OVERVIEW_SOFTWARE);
              system = itemText(overview, IDC_OVERVIEW_OS);
              ownSystem = itemText(overview, IDC_OVERVIEW_OWN_OS);
              PostMessageW(overview, WM_COMMAND, IDCANCEL, 0);
          }},
         {[&] { return !open(list.overview); },
          [&] {
              listAfterClose = open(list);
              doubleClickTicket();
          }},
         {[&] { return open(list.overview); },
          [&] {
              PostMessageW(GetDlgItem(list.overview.window, IDC_OVERVIEW_SOLVE), BM_CLICK, 0, 0);
          }},
         {[&] { return open(lotse.recorder); },
          [&] {
              listAfterSolve = open(list);
              overviewAfterSolve = open(list.overview);
              mainWhileRecording = IsWindowVisible(mainWindow.window);
              recorderTicket = lotse.recorder.model().ticket();
              recorderQuestion = itemText(lotse.recorder.window, IDC_CAPTURE_QUESTION);
              PostMessageW(lotse.recorder.window, WM_COMMAND, IDCANCEL, 0);
          }}},
        [&] { giveUp(); });
    SendMessageW(GetDlgItem(mainWindow.window, IDC_MAIN_SOLVE_TICKETS), BM_CLICK, 0, 0);
    ASSERT_TRUE(steps.finished());

    EXPECT_EQ(shownQuestion, question);
    EXPECT_EQ(software, String(u"Microsoft Excel - v16.0")); // the first program, no "*"
    EXPECT_EQ(system, String(u"Windows 10 Pro"));
    EXPECT_EQ(ownSystem, SystemInfo::osDescription());
    EXPECT_FALSE(mainWithList);
    EXPECT_TRUE(listAfterClose);
    EXPECT_FALSE(listAfterSolve);
    EXPECT_FALSE(overviewAfterSolve);
    EXPECT_FALSE(mainWhileRecording);
    EXPECT_EQ(recorderTicket, twoPrograms);
    EXPECT_EQ(recorderQuestion, question);
    EXPECT_TRUE(IsWindowVisible(mainWindow.window));
}
