#include "controls/AutoComplete.h"

#include "controls/TextEditing.h"

namespace {

// The control characters of iswcntrl: C0, DEL and C1.
bool isControl(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

void AutoComplete::clear() {
    if (view)
        view->resetList();
}

void AutoComplete::fill() {
    search(String());
    if (!view)
        return;
    const int n = count();
    view->holdListDrawing(true);
    for (int i = 0; i < n; ++i)
        view->addItem(text(i), item(i));
    view->holdListDrawing(false);
}

void AutoComplete::onChar(char16_t c) {
    handleChar(c);
    if (listener)
        listener->onTextChanged();
}

void AutoComplete::handleChar(char16_t c) {
    if (!view)
        return;
    switch (c) {
    case copyChar:
    case cutChar:
        // Copy and cut are not offered in this field.
        return;
    case backspaceChar:
        deleteBackward();
        return;
    case enterChar:
        view->showDropDown(false);
        view->setEditSelection(0, -1);
        return;
    case pasteChar:
        insert(view->clipboardText());
        return;
    case escapeChar:
        if (view->hasDropDownList())
            view->showDropDown(false);
        return;
    default:
        if (isControl(c))
            return;
        insert(String(&c, 1));
        return;
    }
}

void AutoComplete::deleteBackward() {
    int start = 0, end = 0;
    view->editSelection(start, end);
    TextEdit edit = ::deleteBackward(view->text(), start, end);
    // Released by updateSuggestions once the list is rebuilt.
    view->holdListDrawing(true);
    view->resetList();
    view->setText(edit.text);
    updateSuggestions(edit.text);
    view->setEditSelection(edit.caret, edit.caret);
}

void AutoComplete::insert(const String& inserted) {
    int start = 0, end = 0;
    view->editSelection(start, end);
    TextEdit edit = insertText(view->text(), start, end, inserted);
    view->holdListDrawing(true);
    view->resetList();
    view->setText(edit.text);
    view->setEditSelection(edit.caret, edit.caret);
    updateSuggestions(edit.text);
    // Rebuilding the list may have moved the caret.
    view->setEditSelection(edit.caret, edit.caret);
}

void AutoComplete::updateSuggestions(const String& typed) {
    rebuilding = true;
    search(typed);
    const int n = suggestionCount(count(), typed.empty());
    if (n <= 0) {
        view->holdListDrawing(false);
        view->showDropDown(false);
        rebuilding = false;
        return;
    }
    for (int i = 0; i < n; ++i)
        view->addItem(text(i), item(i));
    view->holdListDrawing(false);
    if (view->hasDropDownList())
        view->showDropDown(true);
    view->setMinVisible(visibleSuggestions(n));
    view->focusEdit();
    rebuilding = false;
}
