#include "controls/DataGridModel.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

// A window that keeps what the grid asked of it.
struct FakeGridView : GridView {
    std::vector<int> notes;
    bool captured = false;
    bool editorShown = false;
    bool editorVisible = false;
    GridRect editorCell;
    String editorContent;

    void notify(int code) override { notes.push_back(code); }
    void repaint() override {}
    void scrollBarsChanged() override {}
    void captureMouse() override { captured = true; }
    void releaseMouse() override { captured = false; }
    void takeFocus() override {}
    void showEditor(const GridRect& cell, const String& text) override {
        editorShown = editorVisible = true;
        editorCell = cell;
        editorContent = text;
    }
    void placeEditor(const GridRect& cell, bool visible) override {
        editorCell = cell;
        editorVisible = visible;
    }
    void hideEditor() override { editorShown = editorVisible = false; }
    String editorText() override { return editorContent; }
};

// Code-unit order; enough to tell the sort's order from another.
int textOrder(const String& a, const String& b, int) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The grid's sort as first written: a bubble sort that swaps two neighbours
// when comparing the earlier with the later gives the direction.
void bubbleSort(std::vector<std::pair<String, int>>& rows, int direction) {
    for (size_t pass = rows.size(); pass > 1; --pass)
        for (size_t i = 0; i + 1 < pass; ++i)
            if (textOrder(rows[i].first, rows[i + 1].first, 0) == direction)
                std::swap(rows[i], rows[i + 1]);
}

std::vector<int> rowDataOf(const DataGridModel& grid) {
    std::vector<int> data;
    for (int r = 0; r < grid.rowCount(); ++r)
        data.push_back(grid.row(r).rowData);
    return data;
}

struct DataGridModelTest : testing::Test {
    DataGridModel grid;
    FakeGridView view;
    DataGridModelTest() {
        grid.columns[0].width = 100;
        grid.columns[1].width = 80;
        grid.columns[2].width = 60;
        grid.setFontHeights(20, 17); // rows 16 pixels apart, the first at 19
        grid.setClientSize(200, 100);
        grid.compare = textOrder;
        grid.attach(&view);
    }
    void addRows(int n) {
        for (int i = 0; i < n; ++i)
            grid.addRow(String::format(u"row %03i", i), i);
    }
};

TEST_F(DataGridModelTest, KeepsRowsUpToTheLimitAndCellsOfAnyLength) {
    ASSERT_TRUE(grid.addRow(u"erste", 42));
    const GridRow& first = grid.row(0);
    EXPECT_EQ(first.cells, (std::vector<String>{u"erste", u" ", u" "}));
    EXPECT_EQ(first.alignments, (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(first.protectedCells, (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(first.background, DataGridModel::white);
    EXPECT_EQ(view.notes, std::vector<int>{GridRowAdded});

    const String longText(std::u16string(600, u'a').c_str());
    ASSERT_TRUE(grid.setCellText(0, 2, longText));
    EXPECT_EQ(grid.cellText(0, 2), longText);
    EXPECT_FALSE(grid.setCellText(1, 0, u"x"));
    EXPECT_FALSE(grid.setCellLabel(0, 3, u"x"));
    EXPECT_FALSE(grid.setCellText(-1, 0, u"x"));
    EXPECT_EQ(grid.cellText(0, 0), u"erste");
    grid.row(7).cells.assign(3, u"nowhere"); // a scratch record, not a row
    EXPECT_EQ(grid.rowCount(), 1);

    ASSERT_TRUE(grid.setCellLabel(0, 1, u"Etikett"));
    EXPECT_EQ(grid.row(0).alignments[1], 0);
    EXPECT_EQ(grid.row(0).protectedCells[1], 1);
    grid.editable = false;
    ASSERT_TRUE(grid.setCellLabel(0, 0, u"frei"));
    EXPECT_EQ(grid.row(0).protectedCells[0], 0);

    for (int i = 1; i < DataGridModel::maxRows; ++i) {
        ASSERT_TRUE(grid.addRow(u"r", i));
        ASSERT_EQ(grid.capacity() % DataGridModel::rowBlock, 0);
    }
    view.notes.clear();
    EXPECT_FALSE(grid.addRow(u"zu viel", -1));
    EXPECT_EQ(grid.rowCount(), DataGridModel::maxRows);
    EXPECT_TRUE(view.notes.empty());
}

TEST_F(DataGridModelTest, SortGivesTheBubbleSortsOrderOnRowsWithManyEqualKeys) {
    std::mt19937 random(7);
    for (int n : {0, 1, 2, 3, 17, 64, 333}) {
        DataGridModel fresh;
        fresh.compare = textOrder;
        std::vector<std::pair<String, int>> reference;
        for (int i = 0; i < n; ++i) {
            String key;
            for (int k = static_cast<int>(random() % 3); k > 0; --k)
                key += static_cast<char16_t>(u'a' + random() % 3);
            fresh.addRow(u"", i);
            fresh.setCellText(i, 1, key);
            reference.emplace_back(key, i);
        }
        for (int direction : {1, -1, 1}) {
            ASSERT_EQ(fresh.sortDirection(1), direction);
            ASSERT_TRUE(fresh.sort(1));
            bubbleSort(reference, direction);
            std::vector<int> expected;
            for (const auto& entry : reference)
                expected.push_back(entry.second);
            ASSERT_EQ(rowDataOf(fresh), expected) << n << " rows, direction " << direction;
        }
    }
}

TEST_F(DataGridModelTest, SortingTwiceReversesAndEachColumnKeepsItsDirection) {
    for (int i : {3, 1, 4, 0, 2})
        grid.addRow(String::format(u"q%i", i), i);
    grid.setCellText(0, 2, u"b");
    grid.setCellText(1, 2, u"a");
    view.notes.clear();
    ASSERT_TRUE(grid.sort(0));
    EXPECT_EQ(rowDataOf(grid), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(view.notes, (std::vector<int>{GridSortStarts, GridSortFinished}));
    ASSERT_TRUE(grid.sort(0));
    EXPECT_EQ(rowDataOf(grid), (std::vector<int>{4, 3, 2, 1, 0}));
    // The third column starts ascending: blanks, then "a", then "b".
    ASSERT_TRUE(grid.sort(2));
    EXPECT_EQ(rowDataOf(grid), (std::vector<int>{4, 2, 0, 1, 3}));
    EXPECT_EQ(grid.sortDirection(0), 1);

    view.notes.clear();
    EXPECT_FALSE(grid.sort(3));
    grid.compare = nullptr;
    EXPECT_FALSE(grid.sort(0));
    EXPECT_TRUE(view.notes.empty());
    EXPECT_EQ(rowDataOf(grid), (std::vector<int>{4, 2, 0, 1, 3}));
}

TEST_F(DataGridModelTest, SelectionAndEditorFollowTheirRowsThroughASort) {
    for (int i : {2, 0, 1})
        grid.addRow(String::format(u"q%i", i), i);
    grid.row(0).protectedCells[1] = 1;
    // A click on the first row's second cell; the header is 20 pixels high.
    grid.mouseDown(120, 25);
    EXPECT_EQ(grid.selectedRow(), 0);
    EXPECT_EQ(grid.selectedColumn(), 1);
    grid.mouseUp(120, 25);
    ASSERT_TRUE(grid.openEditor(1, 0));
    grid.sort(0);
    EXPECT_EQ(grid.selectedRow(), 2);
    ASSERT_NE(grid.selectedRowRecord(), nullptr);
    EXPECT_EQ(grid.selectedRowRecord()->rowData, 2);
    EXPECT_EQ(grid.editorRow(), 0);
    EXPECT_EQ(view.editorCell.top, grid.cellRect(0, 0).top);
    // A protected cell takes no editor.
    grid.cancelEditor();
    grid.character();
    EXPECT_FALSE(grid.editing());
}

TEST_F(DataGridModelTest, KeysMoveTheSelectionWithinTheRowsAndColumns) {
    addRows(20);
    view.notes.clear();
    grid.keyPress(DataGridModel::keyDown); // nothing without a selection
    EXPECT_TRUE(view.notes.empty());

    ASSERT_TRUE(grid.select(0, 0));
    view.notes.clear();
    grid.keyPress(DataGridModel::keyUp);
    grid.keyPress(DataGridModel::keyLeft);
    EXPECT_EQ(grid.selectedRow(), 0);
    EXPECT_EQ(grid.selectedColumn(), 0);
    grid.keyPress('A'); // not a grid key, yet the parent is told
    EXPECT_EQ(view.notes, (std::vector<int>{1, 1, 1}));

    for (int i = 0; i < 5; ++i)
        grid.keyPress(DataGridModel::keyRight);
    EXPECT_EQ(grid.selectedColumn(), 2);
    EXPECT_EQ(grid.scrollX(), 40); // the third column ends at 240 in a 200 wide window
    for (int i = 0; i < 25; ++i)
        grid.keyPress(i % 2 ? DataGridModel::keyDown : DataGridModel::keyEnter);
    EXPECT_EQ(grid.selectedRow(), 19);
    EXPECT_EQ(grid.row(18).selected, 0);
    EXPECT_EQ(grid.row(19).selected, 1);
    // The last row ends at the window's bottom.
    EXPECT_EQ(grid.cellRect(19, 0).bottom, grid.clientHeight());
    grid.keyPress(DataGridModel::keyPageUp);
    EXPECT_EQ(grid.scrollY(), grid.verticalRange().total - 100 - grid.pageStep());
    for (int i = 0; i < 19; ++i)
        grid.keyPress(DataGridModel::keyUp);
    EXPECT_EQ(grid.selectedRow(), 0);
    EXPECT_EQ(grid.cellRect(0, 0).top, grid.headerHeight() - 1);
}

TEST_F(DataGridModelTest, ResizingBelowTheLeftEdgeGivesTwoPixels) {
    addRows(2);
    grid.mouseMove(182, 5, false); // near the second column's right border at 180
    EXPECT_TRUE(grid.borderHover());
    grid.mouseDown(182, 5);
    EXPECT_TRUE(grid.resizing());
    EXPECT_TRUE(view.captured);
    grid.mouseMove(150, 5, true);
    EXPECT_EQ(grid.columns[1].width, 50);
    grid.mouseMove(-30, 5, true);
    EXPECT_EQ(grid.columns[1].width, 2);
    grid.mouseMove(2001, 5, true);
    EXPECT_EQ(grid.columns[1].width, 2);
    EXPECT_EQ(grid.selectedRow(), -1);
    view.notes.clear();
    grid.mouseUp(20, 50);
    EXPECT_EQ(view.notes, std::vector<int>{GridResizeEnded});
    EXPECT_FALSE(grid.resizing());
    EXPECT_FALSE(grid.borderHover());
    EXPECT_FALSE(view.captured);

    // Without resizing a press at a border is a title click; the second
    // title click on a column sorts it the other way.
    grid.resizable = false;
    grid.mouseDown(99, 5);
    EXPECT_TRUE(grid.columns[0].pressed);
    view.notes.clear();
    grid.mouseUp(99, 5);
    EXPECT_EQ(view.notes, (std::vector<int>{GridSortStarts, GridSortFinished, GridSorted}));
    EXPECT_FALSE(grid.columns[0].pressed);
    grid.mouseDown(10, 5);
    grid.nonClientMouseUp();
    EXPECT_EQ(rowDataOf(grid), (std::vector<int>{1, 0}));
    EXPECT_TRUE(view.captured); // only a release in the client area ends the capture
    grid.sortable = false;
    grid.mouseDown(10, 5);
    grid.mouseUp(10, 5);
    EXPECT_EQ(rowDataOf(grid), (std::vector<int>{1, 0}));
}

TEST_F(DataGridModelTest, ScrollRangesFollowTheRowsAndTheWindowsSize) {
    EXPECT_FALSE(grid.verticalRange().needed());
    EXPECT_TRUE(grid.horizontalRange().needed()); // 240 pixels of columns in 200
    addRows(100);
    DataGridModel::ScrollRange vertical = grid.verticalRange();
    EXPECT_EQ(vertical.total, 20 + 100 * 16);
    EXPECT_EQ(vertical.page, 100);
    EXPECT_EQ(grid.pageStep(), (100 / 16 - 2) * 16);

    grid.scrollVertical(DataGridModel::scrollThumbTrack, 1007); // snaps to whole rows
    EXPECT_EQ(grid.scrollY(), 992);
    grid.wheel(-120);
    EXPECT_EQ(grid.scrollY(), 992 + grid.pageStep());
    grid.wheel(120);
    grid.wheel(120);
    EXPECT_EQ(grid.scrollY(), 992 - grid.pageStep());
    for (int top : {0, 5, 16, 17, 600, 1580}) {
        grid.scrollVertical(DataGridModel::scrollThumbTrack, top);
        int first, end;
        grid.visibleRows(first, end);
        for (int r = 0; r < grid.rowCount(); ++r) {
            GridRect cell = grid.cellRect(r, 0);
            bool shows = cell.bottom > grid.headerHeight() && cell.top < grid.clientHeight();
            ASSERT_EQ(shows, r >= first && r < end) << "row " << r << " at " << top;
        }
    }

    grid.scrollVertical(DataGridModel::scrollLineForward);
    grid.scrollVertical(DataGridModel::scrollThumbTrack, 1 << 20);
    grid.scrollHorizontal(DataGridModel::scrollPageForward);
    EXPECT_EQ(grid.scrollY(), vertical.total - 100);
    EXPECT_EQ(grid.scrollX(), 10);
    // A smaller window keeps the positions; a larger one pulls them back.
    grid.setClientSize(150, 60);
    EXPECT_EQ(grid.verticalRange().page, 60);
    EXPECT_EQ(grid.scrollY(), vertical.total - 100);
    grid.setClientSize(300, 400);
    EXPECT_EQ(grid.scrollX(), 0);
    EXPECT_FALSE(grid.horizontalRange().needed());
    EXPECT_EQ(grid.scrollY(), vertical.total - 400);
}

TEST_F(DataGridModelTest, EditorWritesItsTextBackOrDiscardsIt) {
    addRows(10);
    const String longText(std::u16string(1500, u'x').c_str());
    grid.setCellText(1, 0, longText);
    grid.mouseDown(10, 25);
    grid.character();
    ASSERT_TRUE(grid.editing());
    EXPECT_EQ(view.editorContent, u"row 000");
    view.editorContent = u"neu";
    view.notes.clear();
    grid.keyPress(DataGridModel::keyEnter);
    EXPECT_EQ(grid.cellText(0, 0), u"neu");
    EXPECT_EQ(view.notes, (std::vector<int>{GridCellEdited, GridSelectionChanged}));
    EXPECT_EQ(grid.selectedRow(), 1);
    EXPECT_FALSE(view.editorShown);

    grid.doubleClick(10, 25 + 16);
    EXPECT_EQ(view.editorContent.length(), DataGridModel::editorTextLimit);
    // Scrolled out of sight the editor hides, and comes back with its cell.
    grid.scrollVertical(DataGridModel::scrollThumbTrack, 64);
    EXPECT_FALSE(view.editorVisible);
    grid.scrollVertical(DataGridModel::scrollThumbTrack, 0);
    EXPECT_TRUE(view.editorVisible);
    EXPECT_EQ(view.editorCell.top, grid.cellRect(1, 0).top);
    view.editorContent = u"verworfen";
    grid.keyPress(DataGridModel::keyEscape);
    EXPECT_FALSE(grid.editing());
    EXPECT_EQ(grid.cellText(1, 0), longText);

    // A click elsewhere writes the text as well.
    grid.character();
    view.editorContent = u"geklickt";
    grid.mouseDown(10, 25 + 3 * 16);
    EXPECT_EQ(grid.cellText(1, 0), u"geklickt");
    EXPECT_EQ(grid.selectedRow(), 3);
}

} // namespace
