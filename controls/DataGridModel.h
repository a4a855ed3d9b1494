#pragma once

#include "base/String.h"
#include "controls/GridView.h"

#include <cstdint>
#include <map>
#include <vector>

// One column of a data grid.
struct GridColumn {
    String title = u" ";    // up to 1024 characters
    int width = 50;         // pixels
    int titleAlignment = 0; // 0 left, 1 centred, 2 right
    bool pressed = false;
};

// One row: a text, an alignment and a protection flag per column.
struct GridRow {
    std::vector<String> cells;
    int32_t rowData = 0;             // the owner's value given to addRow
    std::vector<int32_t> alignments; // 0 left, 1 centred, 2 right
    uint8_t selected = 0;
    std::vector<uint8_t> protectedCells; // 1: not editable in place
    uint32_t background = 0xFFFFFF;      // RGB as 0x00BBGGRR (COLORREF layout)
    int64_t rowNumber = -1;              // free for the owner
};

// Orders two cell texts of a column: -1, 0 or 1.
using GridCompare = int (*)(const String& a, const String& b, int column);

// Notifications a grid sends to its parent (WM_COMMAND codes; 3 is the
// WM_NOTIFY after a row was added).
enum GridNotification : int {
    GridSelectionChanged = 1,
    GridCellEdited = 2,
    GridRowAdded = 3,
    GridResizeEnded = 5,
    GridSorted = 6,
    GridSortStarts = 7,
    GridSortFinished = 8,
};

// A colour in COLORREF layout (0x00BBGGRR).
constexpr uint32_t gridColour(int red, int green, int blue) {
    return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 |
           static_cast<uint32_t>(blue) << 16;
}

// The state and decisions of a data grid, free of any window: columns, rows,
// selection, sorting, geometry, scrolling, column resizing and the in-place
// editor's state. The window layer (controls/win/DataGrid) measures text,
// paints and forwards input to it.
//
// Coordinates of input are client coordinates of the grid window. The header
// stays at the top and scrolls sideways only; rows scroll both ways and pass
// under the header.
class DataGridModel {
  public:
    static constexpr int columnCount = 3;
    static constexpr int maxRows = 32000;
    static constexpr int rowBlock = 50;
    static constexpr int editorTextLimit = 1024;

    // Keys the grid handles; the numbers are the Windows virtual-key codes.
    enum Key : int {
        keyEnter = 0x0D,
        keyEscape = 0x1B,
        keyPageUp = 0x21,
        keyPageDown = 0x22,
        keyLeft = 0x25,
        keyUp = 0x26,
        keyRight = 0x27,
        keyDown = 0x28,
    };
    // Scroll-bar requests; the numbers are those of SB_LINEUP ... SB_THUMBTRACK.
    enum ScrollAction : int {
        scrollLineBack = 0,
        scrollLineForward = 1,
        scrollPageBack = 2,
        scrollPageForward = 3,
        scrollThumbTrack = 5,
    };
    // One scroll bar: the content's extent, the visible part and the position
    // (all in pixels). The bar is needed when the content is larger.
    struct ScrollRange {
        int total = 0;
        int page = 0;
        int position = 0;
        bool needed() const { return total > page; }
    };

    static constexpr uint32_t white = gridColour(255, 255, 255);
    static constexpr uint32_t selectedFill = gridColour(10, 10, 200);
    static constexpr uint32_t selectedText = gridColour(250, 200, 200);
    static constexpr uint32_t protectedFill = gridColour(220, 220, 220);

    std::vector<GridColumn> columns = std::vector<GridColumn>(columnCount);
    bool editable = true;
    bool sortable = true;
    bool resizable = true;
    bool gridLines = true;
    uint32_t headerTextColour = 0;
    uint32_t cellTextColour = 0;
    GridCompare compare = nullptr;

    // The window that is told of notifications, repaints and the editor; null
    // for none.
    void attach(GridView* gridView) { view = gridView; }

    // Appends a row whose first cell holds `text` (the others " "); false with
    // 32000 rows present.
    bool addRow(const String& text, int32_t rowData);
    // False for an index out of range; the text is stored whole.
    bool setCellText(int row, int column, const String& text);
    // setCellText, then left-aligned and, in an editable grid, protected.
    bool setCellLabel(int row, int column, const String& text);

    int rowCount() const;
    // Row records are allocated in whole blocks of 50.
    int capacity() const;
    // An index out of range gives a scratch record that belongs to no row.
    GridRow& row(int index);
    const GridRow& row(int index) const;
    // The cell's text; empty for indices out of range.
    const String& cellText(int row, int column) const;

    // Orders the rows by `column` as the grid's bubble sort would, in O(n log n);
    // flips the column's next direction. False (nothing done) without a
    // comparison function.
    bool sort(int column);
    // The direction of the column's next sort: 1 or -1.
    int sortDirection(int column) const;

    // Selection: indices (-1 for none) and the selected row's record (null
    // for none). select() makes a cell the selected one and its row the only
    // selected row, without notification; false for indices out of range.
    int selectedRow() const { return selRow; }
    int selectedColumn() const { return selColumn; }
    GridRow* selectedRowRecord();
    bool select(int row, int column);
    void clearSelection();

    // Geometry. The window measures its fonts: text extent height plus
    // internal leading of the header font and of the cell font.
    void setFontHeights(int headerText, int cellText);
    void setClientSize(int width, int height);
    int clientWidth() const { return width; }
    int clientHeight() const { return height; }
    int headerHeight() const;
    int rowHeight() const;
    // Content coordinates (before scrolling).
    int columnLeft(int column) const;
    int totalWidth() const;
    int rowTop(int row) const;
    int totalHeight() const;
    // Client coordinates (after scrolling).
    GridRect cellRect(int row, int column) const;
    GridRect titleRect(int column) const;
    // True when some of the cell shows below the header.
    bool cellVisible(int row, int column) const;
    // The rows that show in the client area: first up to before end.
    void visibleRows(int& first, int& end) const;
    // The cell under a point (false for none), the title under a point and
    // the column whose right border is within 3 pixels of a point in the
    // header (-1 for none).
    bool cellAt(int x, int y, int& row, int& column) const;
    int titleAt(int x, int y) const;
    int borderAt(int x, int y) const;
    // Colours of a cell's background and text.
    uint32_t cellFill(int row, int column) const;
    uint32_t cellTextColourOf(int row) const;

    // Scrolling (pixels). Positions stay within the ranges.
    int scrollX() const { return scrollLeft; }
    int scrollY() const { return scrollTop; }
    ScrollRange horizontalRange() const;
    ScrollRange verticalRange() const;
    // One page of vertical scrolling: whole rows, two fewer than fit.
    int pageStep() const;
    void scrollHorizontal(int action, int trackPosition = 0);
    void scrollVertical(int action, int trackPosition = 0);
    void scrollRowIntoView(int row);
    void scrollColumnIntoView(int column);
    // Brings the positions back into the ranges after the owner changed
    // widths, rows or fonts.
    void clampScroll();

    // Input, as the window receives it.
    void mouseDown(int x, int y);
    void mouseMove(int x, int y, bool leftButton);
    void mouseUp(int x, int y);
    void nonClientMouseUp();
    // The part of a double click after the owner's onRowDoubleClick: the
    // in-place editor on the cell under the pointer.
    void doubleClick(int x, int y);
    // A wheel turn: towards the user (negative) one page down, away one up.
    void wheel(int delta);
    void keyPress(int key);
    // A typed character opens the editor on the selected cell.
    void character();

    int pressedColumn() const { return pressed; }
    bool borderHover() const { return hover; }
    bool resizing() const { return resizingColumn; }
    bool headerPressed() const { return headerDown; }

    // The in-place editor.
    bool editing() const { return editorOpen; }
    int editorRow() const { return editRow; }
    int editorColumn() const { return editColumn; }
    // Opens it on a cell that may be edited; false otherwise.
    bool openEditor(int row, int column);
    // Writes its text into its cell (notification 2) and closes it.
    void commitEditor();
    // Closes it without writing.
    void cancelEditor();

  private:
    bool validCell(int row, int column) const;
    bool cellEditable(int row, int column) const;
    void notify(int code);
    void repaint();
    void updateHover(int x, int y);
    void finishButton(bool inClient, int x, int y);
    // After a scroll or geometry change: positions clamped, the editor
    // follows its cell, the scroll bars and the picture are renewed.
    void scrolled();
    void moveSelection(int row);

    GridView* view = nullptr;
    std::vector<GridRow> rows;
    std::map<int, int> directions;
    GridRow scratch;
    int selRow = -1;
    int selColumn = -1;
    int pressed = -1;
    bool hover = false;
    bool resizingColumn = false;
    bool headerDown = false;
    bool editorOpen = false;
    int editRow = -1;
    int editColumn = -1;
    int headerTextHeight = 19;
    int cellTextHeight = 18;
    int width = 0;
    int height = 0;
    int scrollLeft = 0;
    int scrollTop = 0;
};
