#pragma once

#include "controls/DataGridModel.h"

#include <windows.h>

#include <memory>

// The "DATAGRID" window: a self-drawn table over a DataGridModel, painted
// through an off-screen bitmap, with an in-place "EDIT" child. The owner holds
// or derives from it, fills the model and overrides the two row callbacks.
// At most 20 grids have a state at a time; a grid without one ignores every
// operation (state() is null).
class DataGrid {
  public:
    static constexpr int maxStates = 20;

    DataGrid();
    DataGrid(const DataGrid&) = delete;
    DataGrid& operator=(const DataGrid&) = delete;
    virtual ~DataGrid();

    // The row callbacks, with the selected row (null when none) and the
    // selected row and column indices (-1 when none).
    virtual void onRowContextMenu(GridRow* row, int rowIndex, int columnIndex) {}
    virtual void onRowDoubleClick(GridRow* row, int rowIndex, int columnIndex) {}
    // Enter on the grid while no cell is edited; true when the owner took it,
    // otherwise it moves the selection down.
    virtual bool onRowReturn(GridRow* row, int rowIndex, int columnIndex) { return false; }

    // Creates the grid window at `rect` (client coordinates of `parent`), its
    // state and its editor. False when the class cannot be registered or the
    // editor cannot be created ("Can not create Edit!"). A grid created
    // before is destroyed first.
    bool create(const RECT& rect, HWND parent);
    // Releases the state and destroys the window; nothing when there is none.
    void destroy();

    // The model's operations, with the window's notifications and repaint.
    // Filling rows does not repaint: the owner updates the scroll bars and
    // invalidates the window once it is done.
    bool addRow(const String& text, int32_t rowData);
    bool setCellText(int row, int column, const String& text);
    bool setCellLabel(int row, int column, const String& text);
    void sort(int column);
    // Sets both scroll bars from the model's ranges and hides those that are
    // not needed (which changes the client area, so it settles in a few
    // passes).
    void updateScrollBars();

    // The state of this grid; null without one.
    DataGridModel* state();
    // The number of grids with a state in this process.
    static int stateCount();

    // The header font's description and replacing the font by one built from
    // a changed description (the list makes it bold).
    LOGFONTW headerFontDescription() const;
    void setHeaderFont(const LOGFONTW& description);

    HWND gridWindow = nullptr;
    HWND parentWindow = nullptr;
    HWND editorWindow = nullptr;

  private:
    struct State;
    class WindowView;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK editorProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void releaseState();
    void rebuildSurface();
    void measureFonts();
    void paint(HDC target);

    std::unique_ptr<State> gridState;
    // A state released while one of its messages is still being handled
    // (an owner that destroys the grid from a callback); freed afterwards.
    std::unique_ptr<State> retired;
    int messageDepth = 0;
    WNDPROC editorPrevious = nullptr;
};
