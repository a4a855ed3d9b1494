#include "app/win/Info.h"
#include "app/win/Settings.h"
#include "dialogs/win/Template.h"
#include "recording/win/Debug.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"
#include "tests/win/WindowTestSupport.h"

#include "LotseConfig.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace WindowTestSupport;

namespace {

// A dialog over any template that ends with the result the test chose.
class ResultDialog : public Template {
  public:
    INT_PTR result = 0;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG)
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        else if (message == WM_COMMAND && LOWORD(wParam) == IDOK)
            close(result);
        return 0;
    }
};

// A link that counts openings instead of starting a browser.
class CountingLink : public DialogTools::HyperLink {
  public:
    int opened = 0, entered = 0, left = 0;
    void open() override { ++opened; }
    void hoverEntered() override { ++entered; }
    void hoverLeft() override { ++left; }
};

// The Info template with its web address made a link (and its maker when asked).
class LinkDialog : public Template {
  public:
    CountingLink link, secondLink;
    bool twoLinks = false;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM, LPARAM) override {
        if (message == WM_INITDIALOG) {
            link.attach(window, IDC_INFO_WEB);
            if (twoLinks)
                secondLink.attach(window, IDC_INFO_MAKER);
        }
        return 0;
    }
    HWND control(int id = IDC_INFO_WEB) const { return GetDlgItem(window, id); }
    COLORREF textColour(int id = IDC_INFO_WEB) const {
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(1, 2, 3));
        SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(control(id)));
        COLORREF colour = GetTextColor(dc);
        DeleteDC(dc);
        return colour;
    }
    HFONT font(int id = IDC_INFO_WEB) const {
        return reinterpret_cast<HFONT>(SendMessageW(control(id), WM_GETFONT, 0, 0));
    }
    void mouseAt(int x, int y) const {
        SendMessageW(control(), WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(x), y));
    }
};

} // namespace

TEST(Template, ModalDialogReturnsItsCloseResultAndZeroForCancelOrQuit) {
    ResultDialog seven;
    seven.result = 7;
    EXPECT_EQ(seven.create(IDD_SETTINGS, nullptr, false, true), 7);
    EXPECT_EQ(seven.window, nullptr); // the window ended with the dialog

    // Settings closed with its close button from inside its loop, Info by the
    // message WM_QUIT reaching it (posted, it would end the loop before that).
    Settings settings;
    DialogSteps steps({{nullptr, [&] { PostMessageW(settings.window, WM_COMMAND, IDCANCEL, 0); }}});
    EXPECT_EQ(settings.create(IDD_SETTINGS, nullptr, false, true), 0);
    EXPECT_TRUE(steps.finished());
    Info info;
    DialogSteps quitSteps({{nullptr, [&] { SendMessageW(info.window, WM_QUIT, 0, 0); }}});
    EXPECT_EQ(info.create(IDD_INFO, nullptr, false, true), 0);

    ResultDialog missing;
    EXPECT_EQ(missing.create(9999, nullptr, false, true), -1);
    EXPECT_EQ(missing.window, nullptr);
}

TEST(Template, LiveWindowComesToTheFrontCentredAndEndsWithItsOwnerOrObject) {
    Info info;
    EXPECT_EQ(info.create(IDD_INFO, nullptr, true, true), 0);
    HWND first = info.window;
    ASSERT_TRUE(IsWindowVisible(first));
    RECT rect{};
    GetWindowRect(first, &rect);
    // Its middle is the screen's, each half rounded on its own.
    EXPECT_LE(std::abs(rect.left + rect.right - GetSystemMetrics(SM_CXSCREEN)), 2);
    EXPECT_LE(std::abs(rect.top + rect.bottom - GetSystemMetrics(SM_CYSCREEN)), 2);

    // A second request, modeless or modal, only brings the live window forward.
    SetForegroundWindow(GetDesktopWindow());
    EXPECT_EQ(info.create(IDD_INFO, nullptr, true, true), 0);
    EXPECT_EQ(GetForegroundWindow(), first);
    EXPECT_EQ(info.create(IDD_INFO, nullptr, false, true), 0);
    EXPECT_EQ(info.window, first);
    EXPECT_EQ(info.modeless, 1);
    EXPECT_EQ(threadWindowsTitled(u"Info").size(), 1u);

    // Ended by its owner: no stale handle in either object.
    Settings owned;
    owned.create(IDD_SETTINGS, info.window, true, false);
    ASSERT_NE(owned.window, nullptr);
    DestroyWindow(info.window);
    EXPECT_EQ(info.window, nullptr);
    EXPECT_EQ(owned.window, nullptr);

    // Still open when its object ends: destroyed with it.
    HWND orphan = nullptr;
    {
        Info temporary;
        temporary.create(IDD_INFO, nullptr, true, false);
        orphan = temporary.window;
        ASSERT_TRUE(IsWindow(orphan));
    }
    EXPECT_FALSE(IsWindow(orphan));
}

// Hovering underlines with one font shared by all links and captures the mouse
// until it leaves; the last link to go deletes the font.
TEST(HyperLink, HoverUnderlinesWithOneSharedFontUntilTheLastLinkCloses) {
    ASSERT_EQ(DialogTools::HyperLink::liveLinks(), 0);
    LinkDialog a, b;
    a.create(IDD_INFO, nullptr, true, true);
    b.create(IDD_INFO, nullptr, true, true);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 2);
    HFONT shared = DialogTools::HyperLink::sharedFont();
    LOGFONTW font{};
    ASSERT_GT(GetObjectW(shared, sizeof(font), &font), 0);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_EQ(a.link.linkTarget(), String(LOTSE_PRODUCT_PAGE));
    EXPECT_TRUE(GetWindowLongPtrW(a.control(), GWL_STYLE) & SS_NOTIFY); // else mice pass by
    const HFONT normal = a.font();

    a.mouseAt(3, 3);
    EXPECT_TRUE(a.link.isHovering());
    EXPECT_EQ(GetCapture(), a.control());
    EXPECT_EQ(a.font(), shared);
    EXPECT_EQ(SendMessageW(a.control(), WM_SETCURSOR, reinterpret_cast<WPARAM>(a.control()),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    a.mouseAt(4, 3); // still inside
    EXPECT_EQ(a.link.entered, 1);
    a.mouseAt(-5, 3);
    EXPECT_NE(GetCapture(), a.control());
    EXPECT_EQ(a.link.left, 1);
    EXPECT_EQ(a.font(), normal);

    // b takes the capture from a, which draws normally again.
    a.mouseAt(3, 3);
    b.mouseAt(2, 2);
    EXPECT_EQ(GetCapture(), b.control());
    EXPECT_FALSE(a.link.isHovering());
    EXPECT_EQ(a.font(), normal);
    EXPECT_EQ(b.font(), shared);
    ReleaseCapture();

    b.close(0);
    EXPECT_EQ(DialogTools::HyperLink::sharedFont(), shared);
    a.close(0);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 0);
    EXPECT_EQ(DialogTools::HyperLink::sharedFont(), nullptr);
    EXPECT_EQ(GetObjectW(shared, sizeof(font), &font), 0); // deleted
}

TEST(HyperLink, OpenedLinkStaysPurpleAcrossOpeningsAndDetachesCleanly) {
    LinkDialog dialog;
    dialog.twoLinks = true; // two links on one dialog: the dialog is subclassed once
    dialog.create(IDD_INFO, nullptr, true, true);
    EXPECT_EQ(dialog.textColour(), RGB(0, 0, 255));
    EXPECT_EQ(dialog.textColour(IDC_INFO_MAKER), RGB(0, 0, 255));
    EXPECT_NE(dialog.textColour(IDC_INFO_VERSION), RGB(0, 0, 255)); // no link

    SendMessageW(dialog.control(), WM_KEYUP, 'A', 0); // only the space bar opens
    EXPECT_EQ(dialog.link.opened, 0);
    SendMessageW(dialog.control(), WM_KEYUP, VK_SPACE, 0);
    SendMessageW(dialog.control(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(dialog.link.opened, 2);
    EXPECT_EQ(dialog.textColour(), RGB(128, 0, 128));
    EXPECT_EQ(dialog.textColour(IDC_INFO_MAKER), RGB(0, 0, 255));
    dialog.close(0);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 0);
    dialog.twoLinks = false;
    dialog.create(IDD_INFO, nullptr, true, true);
    EXPECT_EQ(dialog.textColour(), RGB(128, 0, 128));

    // A link ending before its window leaves a plain static.
    {
        CountingLink early;
        early.attach(dialog.window, IDC_INFO_MAKER);
        EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 2);
    }
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 1);
    SendMessageW(dialog.control(IDC_INFO_MAKER), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_NE(GetCapture(), dialog.control(IDC_INFO_MAKER));
    dialog.close(0);
}

// The text is built natively (DebugText); the dialog shows it and its refresh.
TEST(Debug, ShowsTheTraceAndTheFoundRectangleFromItsResource) {
    MemoryAutomation tree;
    AutomationElementPtr found =
        tree.add(tree.root(), String(u"OK"), u"Button", u"1", {10, 20, 110, 60});
    ElementTrace trace{{{String(u"OK"), u"", u"", u"", u"", u"Name", true}}, u""};
    Debug debug;
    debug.client = &tree;
    debug.trace = &trace;
    debug.element = &found;
    String shown, afterRefresh;
    DialogSteps steps({{nullptr, [&] {
                            shown = windowText(debug.window) + String(u": ") +
                                    itemText(debug.window, IDC_DEBUG_TEXT);
                            tree.properties(found)->rect = {1, 2, 3, 4};
                            debug.refresh();
                            afterRefresh = itemText(debug.window, IDC_DEBUG_TEXT);
                            PostMessageW(debug.window, WM_COMMAND, IDCLOSE, 0);
                        }}});
    EXPECT_EQ(debug.create(IDD_DEBUG, nullptr, false, true), 0);
    EXPECT_EQ(shown, String(u"Debug: Name(OK)  -> \u2713 (Name)\nrect: 10 110 20 60"));
    EXPECT_EQ(afterRefresh, String(u"Name(OK)  -> \u2713 (Name)\nrect: 1 3 2 4"));
}
