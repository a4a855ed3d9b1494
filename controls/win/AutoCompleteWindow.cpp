#include "controls/win/AutoCompleteWindow.h"

#include "base/win/WideText.h"
#include "base/win/WindowText.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const wchar_t previousProcProperty[] = L"Wprc";
const wchar_t objectProperty[] = L"this";

bool isComboBoxEx(HWND window) {
    wchar_t name[261] = {};
    GetClassNameW(window, name, 261);
    return lstrcmpiW(name, WC_COMBOBOXEXW) == 0;
}

WNDPROC previousProc(HWND edit) {
    return reinterpret_cast<WNDPROC>(GetPropW(edit, previousProcProperty));
}

WNDPROC currentProc(HWND edit) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC));
}

// The combo box an edit field belongs to: its grandparent for "ComboBoxEx32",
// else its parent.
HWND boxOf(HWND edit) {
    HWND parent = GetParent(edit);
    HWND grandparent = parent ? GetParent(parent) : nullptr;
    if (grandparent && isComboBoxEx(grandparent))
        return grandparent;
    return parent;
}

// The context menu's "paste" becomes a typed Ctrl+V, so that it takes the
// same path as the key combination (character 22). The keys go to the focus
// of the foreground window.
void injectCtrlV(HWND edit) {
    SetForegroundWindow(GetAncestor(boxOf(edit), GA_ROOT));
    if (GetFocus() != edit)
        SetFocus(edit);
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, 'V', 'V', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
}

// The order in which a sorted combo box would place the texts (CB_ADDSTRING
// compares like CompareStringW in the box's locale, ignoring case); equal ones
// keep their order. A sort key compares as CompareStringW does, and making one
// per text is far cheaper than the box's comparisons (about 15 for each of
// 25 000 questions). Empty when a key cannot be made.
std::vector<size_t> sortedOrder(HWND box,
                                const std::vector<std::pair<String, const void*>>& items) {
    const LCID locale = static_cast<LCID>(SendMessageW(box, CB_GETLOCALE, 0, 0));
    const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
    std::vector<std::string> keys(items.size());
    // Most keys fit here, which spares asking for each key's size first.
    std::string scratch(4096, '\0');
    for (size_t i = 0; i < items.size(); ++i) {
        const wchar_t* text = wide(items[i].first);
        int bytes =
            LCMapStringW(locale, flags, text, -1, reinterpret_cast<wchar_t*>(scratch.data()),
                         static_cast<int>(scratch.size()));
        if (bytes <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            bytes = LCMapStringW(locale, flags, text, -1, nullptr, 0);
            if (bytes > 0) {
                scratch.resize(static_cast<size_t>(bytes));
                bytes = LCMapStringW(locale, flags, text, -1,
                                     reinterpret_cast<wchar_t*>(scratch.data()), bytes);
            }
        }
        if (bytes <= 0)
            return {};
        keys[i].assign(scratch.data(), static_cast<size_t>(bytes));
    }
    std::vector<size_t> order(items.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    // Keys are bytes, compared unsigned.
    std::stable_sort(order.begin(), order.end(),
                     [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace

AutoCompleteWindow::~AutoCompleteWindow() {
    detach();
}

bool AutoCompleteWindow::attach(AutoComplete& completer, HWND box) {
    detach();
    combo = box;
    extended = isComboBoxEx(box);
    edit = extended ? reinterpret_cast<HWND>(SendMessageW(box, CBEM_GETEDITCONTROL, 0, 0))
                    : FindWindowExW(box, nullptr, L"Edit", nullptr);
    completer.attach(this);
    if (!edit)
        return false;
    // A field that already runs this procedure keeps the procedure it had
    // before; chaining to ourselves would recurse forever.
    if (currentProc(edit) != editProc) {
        SetPropW(edit, previousProcProperty, reinterpret_cast<HANDLE>(currentProc(edit)));
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
    }
    SetPropW(edit, objectProperty, reinterpret_cast<HANDLE>(&completer));
    SendMessageW(combo, CB_LIMITTEXT, textLimit, 0);
    return true;
}

void AutoCompleteWindow::detach() {
    if (edit && IsWindow(edit)) {
        // Another procedure installed after ours must stay in front; then ours
        // stays in the chain and, without the object, only passes messages on.
        if (currentProc(edit) == editProc && previousProc(edit)) {
            SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc(edit)));
            RemovePropW(edit, previousProcProperty);
        }
        RemovePropW(edit, objectProperty);
    }
    combo = nullptr;
    edit = nullptr;
    extended = false;
    held = false;
    heldItems.clear();
}

LRESULT CALLBACK AutoCompleteWindow::editProc(HWND edit, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    WNDPROC previous = previousProc(edit);
    if (!previous)
        return DefWindowProcW(edit, message, wParam, lParam);
    auto* completer = static_cast<AutoComplete*>(GetPropW(edit, objectProperty));
    switch (message) {
    case WM_DESTROY:
        SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(edit, previousProcProperty);
        return 0;
    case WM_SETTEXT:
    case EM_GETSEL:
    case EM_SETSEL:
        // Rebuilding the list would replace the typed text by the first
        // matching entry and select it.
        if (completer && completer->busy())
            return 0;
        break;
    case WM_GETDLGCODE:
        if (!completer)
            break;
        // Enter and Escape belong to the field; Tab still moves the focus, and
        // Escape closes the dialog when no list is open.
        if (wParam == VK_TAB ||
            (wParam == VK_ESCAPE && !SendMessageW(GetParent(edit), CB_GETDROPPEDSTATE, 0, 0)))
            return 0;
        return DLGC_WANTALLKEYS;
    case WM_CHAR:
        if (!completer)
            break;
        completer->onChar(static_cast<char16_t>(wParam));
        return 0;
    case WM_PASTE:
        if (!completer)
            break;
        injectCtrlV(edit);
        return 0;
    }
    return CallWindowProcW(previous, edit, message, wParam, lParam);
}

void AutoCompleteWindow::editSelection(int& start, int& end) {
    DWORD selection = static_cast<DWORD>(SendMessageW(combo, CB_GETEDITSEL, 0, 0));
    start = LOWORD(selection);
    end = HIWORD(selection);
}

String AutoCompleteWindow::text() {
    return windowText(combo, textLimit);
}

void AutoCompleteWindow::setText(const String& text) {
    SetWindowTextW(combo, wide(text));
}

void AutoCompleteWindow::setEditSelection(int start, int end) {
    if (extended)
        SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(start), end);
    else
        SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
}

void AutoCompleteWindow::resetList() {
    heldItems.clear();
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
}

void AutoCompleteWindow::addItem(const String& text, const void* data) {
    if (held)
        heldItems.emplace_back(text, data);
    else
        insertItem(text, data);
}

void AutoCompleteWindow::insertItem(const String& text, const void* data) {
    LRESULT position = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(text)));
    if (position >= 0)
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(data));
}

// A sorted box that is empty gets the held items in its own order, each at the
// end: under Wine, emptying the question box, which then lists the 16 700
// questions of a language at 100 000 tickets, took 170-190 ms with the items
// added one by one, and 90-100 ms so. Otherwise the box places each item
// itself.
void AutoCompleteWindow::insertHeldItems() {
    std::vector<std::pair<String, const void*>> items;
    items.swap(heldItems);
    const bool sorted = !extended && (GetWindowLongPtrW(combo, GWL_STYLE) & CBS_SORT) != 0;
    const std::vector<size_t> order = sorted && SendMessageW(combo, CB_GETCOUNT, 0, 0) == 0
                                          ? sortedOrder(combo, items)
                                          : std::vector<size_t>();
    if (order.empty()) {
        for (const auto& [text, data] : items)
            insertItem(text, data);
        return;
    }
    for (size_t i : order) {
        // CB_INSERTSTRING puts the item where it is told, even in a sorted box.
        LRESULT position = SendMessageW(combo, CB_INSERTSTRING, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(wide(items[i].first)));
        if (position >= 0)
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(position),
                         reinterpret_cast<LPARAM>(items[i].second));
    }
}

void AutoCompleteWindow::holdListDrawing(bool hold) {
    held = hold;
    if (!hold)
        insertHeldItems();
    // Under Wine every item added to an open list repainted it: deleting a
    // selected question at 100 000 tickets, which lists all 25 000 questions
    // of its language, took 97 s instead of 0.2 s.
    HWND box =
        extended ? reinterpret_cast<HWND>(SendMessageW(combo, CBEM_GETCOMBOCONTROL, 0, 0)) : combo;
    SendMessageW(box, WM_SETREDRAW, hold ? FALSE : TRUE, 0);
    if (hold)
        return;
    const UINT redraw = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN;
    RedrawWindow(combo, nullptr, nullptr, redraw);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(box, &info) && info.hwndList)
        RedrawWindow(info.hwndList, nullptr, nullptr, redraw);
}

bool AutoCompleteWindow::hasDropDownList() {
    return (GetWindowLongPtrW(combo, GWL_STYLE) & CBS_DROPDOWN) != 0;
}

void AutoCompleteWindow::showDropDown(bool show) {
    SendMessageW(combo, CB_SHOWDROPDOWN, show ? TRUE : FALSE, 0);
}

void AutoCompleteWindow::setMinVisible(int count) {
    SendMessageW(combo, CB_SETMINVISIBLE, static_cast<WPARAM>(count), 0);
}

void AutoCompleteWindow::focusEdit() {
    if (extended && edit)
        SetFocus(edit);
}

String AutoCompleteWindow::clipboardText() {
    if (!OpenClipboard(combo))
        return String();
    String text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            // Read no further than the memory block, even without a final zero.
            const SIZE_T capacity = GlobalSize(data) / sizeof(wchar_t);
            SIZE_T n = 0;
            while (n < capacity && units[n])
                ++n;
            text = fromWide(units, static_cast<int>(n));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}
