#pragma once

#include "base/String.h"

// What the auto-completion needs of the combo box it drives. The window layer
// implements it with the combo box messages; tests record the calls.
class ComboBoxView {
  public:
    virtual ~ComboBoxView() = default;

    // The edit field's selection (CB_GETEDITSEL).
    virtual void editSelection(int& start, int& end) = 0;
    // The box's text (at most 4096 characters) and replacing it.
    virtual String text() = 0;
    virtual void setText(const String& text) = 0;
    // Selects from start to end in the edit field; (0, -1) selects all, (-1, -1)
    // removes the selection (CB_SETEDITSEL, EM_SETSEL for "ComboBoxEx32").
    virtual void setEditSelection(int start, int end) = 0;
    // The drop-down list: empty it, append an entry with its item data.
    virtual void resetList() = 0;
    virtual void addItem(const String& text, const void* data) = 0;
    // While held, the list changes without being drawn item by item (an open
    // list would repaint for every item added), and the items added may reach
    // the box only when it is released; released, the box and its list are
    // drawn once as they are now.
    virtual void holdListDrawing(bool hold) = 0;
    // True when the box has a drop-down list (style bit CBS_DROPDOWN).
    virtual bool hasDropDownList() = 0;
    virtual void showDropDown(bool show) = 0;
    virtual void setMinVisible(int count) = 0;
    // Gives the keyboard focus back to the edit field of a "ComboBoxEx32"; nothing
    // for a plain combo box.
    virtual void focusEdit() = 0;
    // The clipboard as Unicode text; empty when it cannot be opened or holds none.
    virtual String clipboardText() = 0;
};
