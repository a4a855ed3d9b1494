#pragma once

#include "base/String.h"
#include "controls/ComboBoxView.h"

// Search-as-you-type for one combo box: it edits the box's text itself for every
// typed character, asks its data source (the four search operations a subclass
// implements) for the matches and lists them. The window layer replaces the edit
// field's window procedure and hands each WM_CHAR to onChar(); while busy() it
// swallows WM_SETTEXT, EM_GETSEL and EM_SETSEL, which rebuilding the list sends.
class AutoComplete {
  public:
    // The owner of the box, told after every typed character.
    class Interface {
      public:
        virtual void onTextChanged() = 0;

      protected:
        ~Interface() = default;
    };

    virtual ~AutoComplete() = default;

    // The data source: replace the matches by those for `text`; their number; the
    // text a match is listed with; the address of its record (the list item's
    // data, valid until the next search or clear).
    virtual void search(const String& text) = 0;
    virtual int count() = 0;
    virtual String text(int index) = 0;
    virtual const void* item(int index) = 0;
    // Drops the matches and empties the box's list; here only the list.
    virtual void clear();

    void attach(ComboBoxView* box) { view = box; }
    ComboBoxView* box() const { return view; }
    void setListener(Interface* owner) { listener = owner; }

    // Lists every match of the empty text, without limit; the list is neither
    // emptied first nor opened.
    void fill();

    // One typed character: handleChar, then the listener is told (also for
    // characters that change nothing).
    void onChar(char16_t c);
    void handleChar(char16_t c);

    bool busy() const { return rebuilding; }

    // The characters handleChar tells apart.
    static constexpr char16_t copyChar = 3;
    static constexpr char16_t backspaceChar = 8;
    static constexpr char16_t enterChar = 13;
    static constexpr char16_t pasteChar = 22;
    static constexpr char16_t cutChar = 24;
    static constexpr char16_t escapeChar = 27;

  private:
    void deleteBackward();
    void insert(const String& inserted);
    void updateSuggestions(const String& text);

    ComboBoxView* view = nullptr;
    Interface* listener = nullptr;
    bool rebuilding = false;
};
