#include "app/NaturalCompare.h"
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
void pressKey(HWND grid, WPARAM key) {
    PostMessageW(grid, WM_KEYDOWN, key, 1);
    PostMessageW(grid, WM_KEYUP, key, 0xC0000001);
}
void turnWheel(HWND grid, int delta) {
    RECT rect{};
    GetWindowRect(grid, &rect);
    PostMessageW(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, delta),
                 MAKELPARAM(rect.left + 50, rect.top + 50));
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
    std::vector<String> questions() {
        std::vector<String> texts;
        for (int r = 0; r < grid().rowCount(); ++r)
            texts.push_back(grid().row(r).cells[0]);
        return texts;
    }
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

// The rows are the open tickets in id order with their software (one program,
// or the first of several with "*") and system; a title click sorts
// naturally, a second one reverses; the grid follows the dialog's size; the
// wheel scrolls by pages; the keys move the selection and stop at the edges.
TEST_F(SolveTicketTest, ListsOpenTicketsAndFollowsTitlesSizeWheelAndKeys) {
    std::vector<int32_t> expectedIds;
    for (const auto& [id, ticket] : TicketList::instance())
        if (ticket.id_state == TicketOpen)
            expectedIds.push_back(id);
    ASSERT_GT(expectedIds.size(), 20u) << "the demo data lists more tickets than fit";

    std::vector<int32_t> ids;
    std::vector<String> ascending, descending;
    int rowsShown = 0, fullHeight = 0, smallHeight = 0, paged = -1, line = 0, page = 0;
    int selectedAtTop = -2, selectedAtEnd = -2, lastShown = -2;
    DialogSteps steps({{[&] { return open(list) && list.state() && grid().rowCount() > 0; },
                        [&] {
                            for (int r = 0; r < grid().rowCount(); ++r) {
                                const GridRow& row = grid().row(r);
                                ids.push_back(row.rowData);
                                if (row.rowData == 3) {
                                    EXPECT_EQ(row.cells[1], String(u"Notepad - v8.0"));
                                    EXPECT_EQ(row.cells[2], String(u"Windows 7"));
                                }
                                if (row.rowData == 33) {
                                    EXPECT_EQ(row.cells[1], String(u"Microsoft Excel - v16.0*"));
                                    EXPECT_EQ(row.cells[2], String(u"Windows 10 Pro"));
                                }
                            }
                            EXPECT_EQ(list.headerFontDescription().lfWeight, FW_BOLD);
                            int first = 0, end = 0;
                            grid().visibleRows(first, end);
                            rowsShown = end - first;
                            click(list.gridWindow, middleOf(grid().titleRect(0)));
                        }},
                       {[&] { return grid().sortDirection(0) == -1; },
                        [&] {
                            ascending = questions();
                            click(list.gridWindow, middleOf(grid().titleRect(0)));
                        }},
                       {[&] { return grid().sortDirection(0) == 1; },
                        [&] {
                            descending = questions();
                            RECT rect{};
                            GetWindowRect(list.gridWindow, &rect);
                            fullHeight = rect.bottom - rect.top;
                            GetWindowRect(list.window, &rect);
                            SetWindowPos(list.window, nullptr, 0, 0, rect.right - rect.left, 260,
                                         SWP_NOMOVE | SWP_NOZORDER);
                            GetWindowRect(list.gridWindow, &rect);
                            smallHeight = rect.bottom - rect.top;
                            line = grid().rowHeight() - 1;
                            page = grid().pageStep();
                            turnWheel(list.gridWindow, -WHEEL_DELTA); // towards the user
                        }},
                       {[&] { return grid().scrollY() != 0; },
                        [&] {
                            paged = grid().scrollY();
                            turnWheel(list.gridWindow, WHEEL_DELTA);
                        }},
                       {[&] { return grid().scrollY() == 0; },
                        [&] {
                            click(list.gridWindow, middleOf(grid().cellRect(0, 1)));
                            pressKey(list.gridWindow, VK_DOWN);
                            pressKey(list.gridWindow, VK_UP);
                            pressKey(list.gridWindow, VK_UP); // stays on the first row
                        }},
                       {nullptr,
                        [&] {
                            selectedAtTop = grid().selectedRow();
                            for (size_t i = 0; i <= ids.size(); ++i)
                                pressKey(list.gridWindow, VK_DOWN);
                        }},
                       {[&] { return grid().selectedRow() == grid().rowCount() - 1; },
                        [&] {
                            // One more press than rows: the last one must not leave the list.
                            selectedAtEnd = grid().selectedRow();
                            int first = 0, end = 0;
                            grid().visibleRows(first, end);
                            lastShown = end - 1;
                            PostMessageW(list.window, WM_COMMAND, IDCANCEL, 0);
                        }}},
                      [&] { giveUp(); });
    const INT_PTR result = list.create(IDD_SOLVE_TICKET, mainWindow.window, false, true);
    ASSERT_TRUE(steps.finished());
    EXPECT_EQ(result, 0);

    EXPECT_EQ(ids, expectedIds);
    EXPECT_LT(rowsShown, static_cast<int>(ids.size()));
    ASSERT_EQ(ascending.size(), ids.size());
    for (size_t i = 1; i < ascending.size(); ++i)
        EXPECT_LE(naturalCompare(ascending[i - 1], ascending[i], 0), 0) << i;
    EXPECT_EQ(descending, std::vector<String>(ascending.rbegin(), ascending.rend()));
    EXPECT_LT(smallHeight, fullHeight - 100);
    EXPECT_GT(page, line);
    EXPECT_EQ(paged, page);
    EXPECT_EQ(selectedAtTop, 0);
    EXPECT_EQ(selectedAtEnd, static_cast<int>(ids.size()) - 1);
    EXPECT_EQ(lastShown, selectedAtEnd);
}

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
