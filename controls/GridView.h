#pragma once

#include "base/String.h"

// A rectangle in the grid window's client coordinates; right and bottom are
// exclusive, as in a Win32 RECT.
struct GridRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What the grid's decisions need of its window. The window layer answers with
// messages to the parent, the scroll bars, the mouse capture and the "EDIT"
// child; tests record the calls. A model without a view only keeps its state.
class GridView {
  public:
    virtual ~GridView() = default;

    // One of the GridNotification codes to the parent window.
    virtual void notify(int code) = 0;
    virtual void repaint() = 0;
    // Ranges or positions changed: the scroll bars are set anew.
    virtual void scrollBarsChanged() = 0;
    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    virtual void takeFocus() = 0;

    // The in-place editor: opened over a cell with its text (all of it
    // selected, with the focus), moved with its cell (hidden while the cell is
    // out of sight), closed, and its text (at most 1024 characters).
    virtual void showEditor(const GridRect& cell, const String& text) = 0;
    virtual void placeEditor(const GridRect& cell, bool visible) = 0;
    virtual void hideEditor() = 0;
    virtual String editorText() = 0;
};
