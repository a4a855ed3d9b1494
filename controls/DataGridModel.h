#pragma once

#include "base/String.h"

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

// The state and decisions of a data grid, free of any window: columns, rows,
// selection, sorting, geometry, scrolling, column resizing and the in-place
// editor's state. The window layer (controls/win/DataGrid) measures text,
// paints and forwards input to it.
class DataGridModel {
  public:
    static constexpr int columnCount = 3;
    static constexpr int maxRows = 32000;
    static constexpr int rowBlock = 50;

    std::vector<GridColumn> columns = std::vector<GridColumn>(columnCount);
    bool editable = true;
    bool sortable = true;
    bool resizable = true;
    bool gridLines = true;
    uint32_t headerTextColour = 0;
    uint32_t cellTextColour = 0;
    GridCompare compare = nullptr;

    // Appends a row whose first cell holds `text` (the others " "); false with
    // 32000 rows present.
    bool addRow(const String& text, int32_t rowData);
    // False for an index out of range; the text is stored whole.
    bool setCellText(int row, int column, const String& text);
    // setCellText, then left-aligned and, in an editable grid, protected.
    bool setCellLabel(int row, int column, const String& text);

    int rowCount() const;
    GridRow& row(int index);
    const GridRow& row(int index) const;

    // Orders the rows by `column` as the grid's bubble sort would, in O(n log n);
    // flips the column's next direction. False (nothing done) without a
    // comparison function.
    bool sort(int column);
    // The direction of the column's next sort: 1 or -1.
    int sortDirection(int column) const;

    // The remainder (selection, geometry, scrolling, keys, mouse, editor) is
    // the grid's own business.
};
