#include "controls/win/AutoCompleteWindow.h"
#include "tests/StringPrinter.h"
#include "tests/support/WordSource.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using namespace WindowTestSupport;

namespace {

WNDPROC procOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC));
}

void setClipboard(const wchar_t* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    if (text) {
        size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        memcpy(GlobalLock(memory), text, bytes);
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
    }
    CloseClipboard();
}

// A drop-down combo box with an edit field, sorted like the main window's,
// in a top-level window of its own.
class AutoCompleteWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        frame =
            CreateWindowExW(0, L"STATIC", L"AutoComplete", WS_POPUP | WS_CAPTION | WS_VISIBLE, 100,
                            100, 420, 320, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(frame, nullptr);
        combo = CreateWindowExW(
            0, L"COMBOBOX", L"",
            WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_SORT, 10, 10,
            380, 200, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(combo, nullptr);
        edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        ASSERT_NE(edit, nullptr);
        originalProc = procOf(edit);
        for (int i = 1; i <= 40; ++i)
            source.words.push_back(String::format(u"Eintrag %02i", i));
        source.words.push_back(u"Anderes");
        source.words.push_back(u"Zweites Anderes");
        source.setListener(&listener);
        ASSERT_TRUE(box.attach(source, combo));
        SetForegroundWindow(frame);
        SetFocus(edit);
    }
    void TearDown() override {
        box.detach();
        if (frame)
            DestroyWindow(frame);
        pumpMessages();
    }

    void type(const String& text) {
        for (int i = 0; i < text.length(); ++i)
            SendMessageW(edit, WM_CHAR, text[i], 1);
    }
    String boxText() const { return windowText(combo); }
    // The caret, when nothing is selected.
    int caret() const {
        DWORD selection = static_cast<DWORD>(SendMessageW(combo, CB_GETEDITSEL, 0, 0));
        EXPECT_EQ(LOWORD(selection), HIWORD(selection));
        return HIWORD(selection);
    }
    int listed() const { return static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0)); }
    bool dropped() const { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }
    String itemText(int i) const {
        wchar_t text[AutoCompleteWindow::textLimit + 1] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        return fromWide(text);
    }
    const String* itemData(int i) const {
        return reinterpret_cast<const String*>(SendMessageW(combo, CB_GETITEMDATA, i, 0));
    }

    HWND frame = nullptr;
    HWND combo = nullptr;
    HWND edit = nullptr;
    WNDPROC originalProc = nullptr;
    WordSource source;
    TextChangeListener listener;
    AutoCompleteWindow box;
};

} // namespace

TEST_F(AutoCompleteWindowTest, AttachReplacesTheEditProcedureAndDetachOrDestroyRestoresIt) {
    EXPECT_EQ(procOf(edit), &AutoCompleteWindow::editProc);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropW(edit, L"Wprc")), originalProc);
    EXPECT_EQ(GetPropW(edit, L"this"), static_cast<AutoComplete*>(&source));
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 4096);

    // Tab leaves the field, and so does Escape while no list is open (it closes
    // the window); every other key, Enter included, stays.
    MSG tab{edit, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    MSG enter{edit, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_EQ(SendMessageW(edit, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)), 0);
    EXPECT_EQ(SendMessageW(edit, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)),
              DLGC_WANTALLKEYS);
    EXPECT_EQ(SendMessageW(edit, WM_GETDLGCODE, VK_ESCAPE, 0), 0);

    // Binding again keeps the original procedure behind ours.
    ASSERT_TRUE(box.attach(source, combo));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetPropW(edit, L"Wprc")), originalProc);
    type(u"x");
    EXPECT_EQ(boxText(), String(u"x"));

    box.detach();
    EXPECT_EQ(procOf(edit), originalProc);
    EXPECT_EQ(GetPropW(edit, L"Wprc"), nullptr);
    EXPECT_EQ(GetPropW(edit, L"this"), nullptr);

    // WM_DESTROY puts the previous procedure back and drops "Wprc"; "this"
    // stays on the window.
    ASSERT_TRUE(box.attach(source, combo));
    EXPECT_EQ(SendMessageW(edit, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(procOf(edit), originalProc);
    EXPECT_EQ(GetPropW(edit, L"Wprc"), nullptr);
    EXPECT_NE(GetPropW(edit, L"this"), nullptr);
}

// The real combo box shows what the completer decides (tested natively with
// AutoComplete): at most 15 matches in its own order, each item carrying the
// completer's record, with the typed text and caret kept.
TEST_F(AutoCompleteWindowTest, TypingListsAtMostFifteenMatches) {
    type(u"E");
    EXPECT_EQ(boxText(), String(u"E"));
    EXPECT_EQ(caret(), 1);
    EXPECT_TRUE(dropped());
    EXPECT_EQ(SendMessageW(combo, CB_GETMINVISIBLE, 0, 0), 15);
    ASSERT_EQ(listed(), 15);
    for (int i = 0; i < 15; ++i) {
        EXPECT_EQ(itemText(i), String::format(u"Eintrag %02i", i + 1));
        EXPECT_EQ(itemData(i), &source.results[static_cast<size_t>(i)]) << i;
    }
    type(u"intrag 35");
    EXPECT_EQ(listed(), 1);
    EXPECT_EQ(SendMessageW(combo, CB_GETMINVISIBLE, 0, 0), 1);
    type(u"9"); // no match: the list closes, the text stays
    EXPECT_EQ(boxText(), String(u"Eintrag 359"));
    EXPECT_FALSE(dropped());
}

// Ctrl+V reads the real clipboard and closes it again; the edit's own paste
// (its context menu) types Ctrl+V as input of this thread.
TEST_F(AutoCompleteWindowTest, PasteTakesTheClipboardTextAndTheContextMenuTypesCtrlV) {
    setClipboard(L"Zwischen");
    type(u"abcd");
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(1, 3));
    SendMessageW(edit, WM_CHAR, 22, 1);
    EXPECT_EQ(boxText(), String(u"aZwischend"));
    EXPECT_EQ(caret(), 9);
    EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
    setClipboard(nullptr); // nothing to paste: the selection goes
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, 1));
    SendMessageW(edit, WM_CHAR, 22, 1);
    EXPECT_EQ(boxText(), String(u"Zwischend"));

    setClipboard(L"Eintrag 2");
    SendMessageW(combo, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
    ASSERT_EQ(GetFocus(), edit);
    EXPECT_EQ(SendMessageW(edit, WM_PASTE, 0, 0), 0);
    waitFor([&] { return boxText() == String(u"Eintrag 2"); }, 2000);
    EXPECT_EQ(boxText(), String(u"Eintrag 2"));
    EXPECT_EQ(listed(), 10); // 20 to 29
    EXPECT_EQ(GetAsyncKeyState(VK_CONTROL) & 0x8000, 0);
}

// A list added while the drawing is held reaches a sorted box in the box's own
// order (its comparison, which folds case and weighs accents and punctuation
// its own way), each item with its record; into a box that already holds an
// item, the box places each one itself.
TEST_F(AutoCompleteWindowTest, AHeldListArrivesInTheBoxsOwnOrder) {
    source.words = {u"Zürich", u"zebra",    u"Äpfel",  u"apfel 2",  u"Straße", u"co-op",
                    u"E-Mail", u"10 Mal",   u"9 Mal",  u"#1",       u"_x",     u"Résumé",
                    u"ÖFFNEN", u"öffnen 2", u"ＡＢＣ", u"İstanbul", u"abd",    u"Eintrag"};
    // Keys longer than most, which differ only after their first few thousand
    // bytes.
    const String longest = String(std::u16string(3000, u'a').c_str());
    source.words.push_back(longest + u"c");
    source.words.push_back(longest + u"b");
    HWND oracle = CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | CBS_DROPDOWN | CBS_SORT, 0, 0,
                                  100, 100, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(oracle, nullptr);
    auto expectOracleOrder = [&](const char* what) {
        ASSERT_EQ(listed(), SendMessageW(oracle, CB_GETCOUNT, 0, 0)) << what;
        for (int i = 0; i < listed(); ++i) {
            wchar_t text[AutoCompleteWindow::textLimit + 1] = {};
            SendMessageW(oracle, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            EXPECT_EQ(itemText(i), fromWide(text)) << what << " " << i;
            ASSERT_NE(itemData(i), nullptr) << what << " " << i;
            EXPECT_EQ(*itemData(i), itemText(i)) << what << " " << i;
        }
    };
    for (const String& word : source.words)
        SendMessageW(oracle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(word)));
    source.fill();
    expectOracleOrder("into an empty box");

    const String kept(u"Mitte");
    box.resetList();
    box.addItem(kept, &kept);
    SendMessageW(oracle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Mitte"));
    source.fill();
    EXPECT_EQ(itemData(static_cast<int>(
                  SendMessageW(combo, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(L"Mitte")))),
              &kept);
    expectOracleOrder("beside an item");
}
