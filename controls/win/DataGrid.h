#pragma once

#include "controls/DataGridModel.h"

#include <windows.h>

// The "DATAGRID" window: a self-drawn table over a DataGridModel, painted
// through an off-screen bitmap, with an in-place "EDIT" child. The owner holds
// or derives from it, fills the model and overrides the two row callbacks.
// At most 20 grids have a state at a time; a grid without one ignores every
// operation (state() is null).
class DataGrid {
  public:
    DataGrid() = default;
    DataGrid(const DataGrid&) = delete;
    DataGrid& operator=(const DataGrid&) = delete;
    virtual ~DataGrid();

    // The row callbacks, with the selected row (null when none) and the
    // selected row and column indices (-1 when none).
    virtual void onRowContextMenu(GridRow* row, int rowIndex, int columnIndex) {}
    virtual void onRowDoubleClick(GridRow* row, int rowIndex, int columnIndex) {}

    // Creates the grid window at `rect` (client coordinates of `parent`), its
    // state and its editor. False when the class cannot be registered or the
    // editor cannot be created ("Can not create Edit!").
    bool create(const RECT& rect, HWND parent);
    // Releases the state and destroys the window; nothing when there is none.
    void destroy();

    // The model's operations, with the window's notifications and repaint.
    bool addRow(const String& text, int32_t rowData);
    bool setCellText(int row, int column, const String& text);
    bool setCellLabel(int row, int column, const String& text);
    void sort(int column);
    void updateScrollBars();

    // The state of this grid; null without one.
    DataGridModel* state();

    // The header font's description and replacing the font by one built from
    // a changed description (the list makes it bold).
    LOGFONTW headerFontDescription() const;
    void setHeaderFont(const LOGFONTW& description);

    HWND gridWindow = nullptr;
    HWND parentWindow = nullptr;
    HWND editorWindow = nullptr;
};
