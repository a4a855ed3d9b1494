#include "controls/win/DataGrid.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace WindowTestSupport;

namespace {

// What the grid's parent received: WM_COMMAND codes and WM_NOTIFY codes (as
// negative numbers), each from the grid window.
std::vector<int> notes;
HWND notesFrom = nullptr;

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == notesFrom)
        notes.push_back(HIWORD(wParam));
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->hwndFrom == notesFrom)
        notes.push_back(-static_cast<int>(reinterpret_cast<NMHDR*>(lParam)->code));
    return DefWindowProcW(window, message, wParam, lParam);
}

struct RecordingGrid : DataGrid {
    std::vector<int> doubleClickedRows;
    bool destroyOnDoubleClick = false;
    void onRowDoubleClick(GridRow*, int rowIndex, int) override {
        doubleClickedRows.push_back(rowIndex);
        if (destroyOnDoubleClick)
            destroy();
    }
};

class DataGridTest : public testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSW frameClass{};
        frameClass.lpfnWndProc = frameProc;
        frameClass.hInstance = GetModuleHandleW(nullptr);
        frameClass.lpszClassName = L"DataGridTestFrame";
        RegisterClassW(&frameClass);
        frame = CreateWindowExW(0, L"DataGridTestFrame", L"DataGrid",
                                WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 50, 1040, 760, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(frame, nullptr);
        SetForegroundWindow(frame);
        notes.clear();
    }
    void TearDown() override {
        grid.reset();
        DestroyWindow(frame);
        notesFrom = nullptr;
    }
    void makeGrid(int width, int height) {
        grid = std::make_unique<RecordingGrid>();
        ASSERT_TRUE(grid->create(RECT{0, 0, width, height}, frame));
        notesFrom = grid->gridWindow;
        DataGridModel& model = *grid->state();
        model.columns[0].width = 200;
        model.columns[1].width = 150;
        model.columns[2].width = 100;
    }
    // The centre of a cell, away from its text.
    POINT cellPoint(int row, int column) {
        GridRect cell = grid->state()->cellRect(row, column);
        return POINT{cell.right - 8, (cell.top + cell.bottom) / 2};
    }
    void click(int row, int column) {
        POINT p = cellPoint(row, column);
        SendMessageW(grid->gridWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid->gridWindow, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }
    void doubleClick(int row, int column) {
        POINT p = cellPoint(row, column);
        click(row, column);
        SendMessageW(grid->gridWindow, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageW(grid->gridWindow, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    }

    HWND frame = nullptr;
    std::unique_ptr<RecordingGrid> grid;
};

TEST_F(DataGridTest, EditorTakesItsKeysAndTheParentHearsOfEveryChange) {
    makeGrid(500, 300);
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(grid->addRow(String::format(u"Zeile %i", i), i));
    EXPECT_EQ(notes, (std::vector<int>{-3, -3, -3, -3}));
    HWND editor = grid->editorWindow;
    EXPECT_TRUE(SendMessageW(grid->gridWindow, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
    EXPECT_TRUE(SendMessageW(editor, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);

    notes.clear();
    click(0, 0);
    SendMessageW(grid->gridWindow, WM_CHAR, 'x', 0);
    ASSERT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(GetFocus(), editor);
    EXPECT_EQ(windowText(editor), u"Zeile 0");
    DWORD selection = static_cast<DWORD>(SendMessageW(editor, EM_GETSEL, 0, 0));
    EXPECT_EQ(HIWORD(selection) - LOWORD(selection), 7);
    for (wchar_t c : {L'n', L' ', L'e', L'\r', L'u'})
        SendMessageW(editor, WM_CHAR, c, 0);
    SendMessageW(editor, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), editor);
    SendMessageW(editor, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(grid->state()->cellText(0, 0), u"neu");
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(GetFocus(), grid->gridWindow);
    EXPECT_EQ(grid->state()->selectedRow(), 1);
    EXPECT_EQ(notes,
              (std::vector<int>{GridSelectionChanged, GridCellEdited, GridSelectionChanged}));
    SendMessageW(grid->gridWindow, WM_CHAR, '\r', 0); // Enter's character follows its key
    EXPECT_FALSE(IsWindowVisible(editor));
    SendMessageW(grid->gridWindow, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(grid->state()->selectedRow(), 0);

    SendMessageW(grid->gridWindow, WM_CHAR, 'x', 0);
    SendMessageW(editor, WM_CHAR, 'y', 0);
    SendMessageW(editor, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(IsWindowVisible(editor));
    EXPECT_EQ(grid->state()->cellText(1, 0), u"Zeile 1");

    // The wheel turns pages.
    for (int i = 4; i < 60; ++i)
        grid->addRow(u"", i);
    SendMessageW(grid->gridWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(grid->state()->scrollY(), grid->state()->pageStep());
    SendMessageW(grid->gridWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);

    // A protected cell: the owner hears of the double click, no editor opens.
    grid->setCellLabel(2, 1, u"geschützt");
    doubleClick(2, 1);
    EXPECT_EQ(grid->doubleClickedRows, std::vector<int>{2});
    EXPECT_FALSE(IsWindowVisible(editor));
    // An owner that closes the grid from the callback.
    const int states = DataGrid::stateCount();
    grid->destroyOnDoubleClick = true;
    doubleClick(3, 1);
    EXPECT_EQ(grid->state(), nullptr);
    EXPECT_EQ(grid->gridWindow, nullptr);
    EXPECT_EQ(DataGrid::stateCount(), states - 1);
}

TEST_F(DataGridTest, PaintsCellsInTheirColours) {
    makeGrid(500, 300);
    for (int i = 0; i < 3; ++i)
        grid->addRow(u"", i);
    grid->state()->row(2).background = RGB(250, 220, 220);
    grid->state()->row(1).protectedCells[1] = 1;
    click(0, 2);
    grid->updateScrollBars();
    RedrawWindow(grid->gridWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetDC(grid->gridWindow);
    auto pixel = [&](int row, int column) {
        POINT p = cellPoint(row, column);
        return GetPixel(dc, p.x, p.y);
    };
    EXPECT_EQ(pixel(0, 0), RGB(10, 10, 200));
    EXPECT_EQ(pixel(1, 1), RGB(220, 220, 220));
    EXPECT_EQ(pixel(1, 0), RGB(255, 255, 255));
    EXPECT_EQ(pixel(2, 2), RGB(250, 220, 220));
    GridRect cell = grid->state()->cellRect(1, 0);
    EXPECT_EQ(GetPixel(dc, cell.left + 20, cell.top), RGB(210, 210, 210)); // the shared line
    ReleaseDC(grid->gridWindow, dc);
}

// A hook that refuses to create edit controls on this thread.
HHOOK editRefusal = nullptr;
LRESULT CALLBACK refuseEdits(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t name[16] = {};
    if (code == HCBT_CREATEWND && GetClassNameW(reinterpret_cast<HWND>(wParam), name, 16) &&
        lstrcmpiW(name, L"EDIT") == 0)
        return 1;
    return CallNextHookEx(editRefusal, code, wParam, lParam);
}

TEST_F(DataGridTest, TwentyGridsHaveAStateAndAGridWithoutEditorNone) {
    const int before = DataGrid::stateCount();
    std::vector<std::unique_ptr<DataGrid>> grids;
    for (int i = before; i <= DataGrid::maxStates; ++i) {
        grids.push_back(std::make_unique<DataGrid>());
        ASSERT_TRUE(grids.back()->create(RECT{0, 0, 100, 100}, frame));
    }
    DataGrid& last = *grids.back();
    EXPECT_NE(last.gridWindow, nullptr);
    EXPECT_EQ(last.state(), nullptr);
    EXPECT_FALSE(last.addRow(u"x", 1));
    last.updateScrollBars();
    RedrawWindow(last.gridWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    grids.front()->destroy();
    ASSERT_TRUE(last.create(RECT{0, 0, 100, 100}, frame));
    EXPECT_NE(last.state(), nullptr);
    grids.clear();
    EXPECT_EQ(DataGrid::stateCount(), before);

    editRefusal = SetWindowsHookExW(WH_CBT, refuseEdits, nullptr, GetCurrentThreadId());
    ASSERT_NE(editRefusal, nullptr);
    bool boxShown = false;
    DialogSteps steps(
        {{[] { return threadWindowTitled(u"Error!") != nullptr; },
          [&] {
              boxShown = true;
              closeThreadWindows(u"Error!");
          }}},
        [] { closeThreadWindows(u"Error!"); }, 5000);
    DataGrid refused;
    EXPECT_FALSE(refused.create(RECT{0, 0, 100, 100}, frame));
    UnhookWindowsHookEx(editRefusal);
    EXPECT_TRUE(boxShown);
    EXPECT_EQ(refused.gridWindow, nullptr);
    EXPECT_EQ(FindWindowExW(frame, nullptr, L"DATAGRID", nullptr), nullptr);
    EXPECT_EQ(DataGrid::stateCount(), before);
}

} // namespace
