#pragma once

#include "controls/AutoComplete.h"
#include "controls/ComboBoxView.h"

#include <windows.h>

#include <utility>
#include <vector>

// Binds an AutoComplete to a real combo box: answers the completer's view
// calls with combo-box messages and replaces the window procedure of the box's
// edit field, so that every typed character goes to the completer instead of
// the field. The edit field carries the properties "Wprc" (its previous window
// procedure) and "this" (the completer).
class AutoCompleteWindow : public ComboBoxView {
  public:
    AutoCompleteWindow() = default;
    AutoCompleteWindow(const AutoCompleteWindow&) = delete;
    AutoCompleteWindow& operator=(const AutoCompleteWindow&) = delete;
    // Gives a still living edit field its own procedure back.
    ~AutoCompleteWindow() override;

    // Binds `completer` to `combo` ("ComboBoxEx32" or a plain combo box with an
    // edit field) and limits its text to 4096 characters. False when the box
    // has no edit field. A box already bound is bound anew.
    bool attach(AutoComplete& completer, HWND combo);
    // Restores the edit field's procedure and removes both properties.
    void detach();

    HWND comboWindow() const { return combo; }
    HWND editWindow() const { return edit; }

    // ComboBoxView
    void editSelection(int& start, int& end) override;
    String text() override;
    void setText(const String& text) override;
    void setEditSelection(int start, int end) override;
    void resetList() override;
    void addItem(const String& text, const void* data) override;
    void holdListDrawing(bool hold) override;
    bool hasDropDownList() override;
    void showDropDown(bool show) override;
    void setMinVisible(int count) override;
    void focusEdit() override;
    String clipboardText() override;

    // The replacement procedure of the edit field.
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);

    // Longest text of the box.
    static constexpr int textLimit = 4096;

  private:
    void insertItem(const String& text, const void* data);
    void insertHeldItems();

    HWND combo = nullptr;
    HWND edit = nullptr;
    bool extended = false; // "ComboBoxEx32"
    // Items added while the drawing is held, inserted when it is released.
    bool held = false;
    std::vector<std::pair<String, const void*>> heldItems;
};
