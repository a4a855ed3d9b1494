#include "app/win/Info.h"
#include "app/win/Settings.h"
#include "dialogs/Centering.h"
#include "dialogs/win/CenterWindow.h"
#include "dialogs/win/Template.h"
#include "recording/DebugText.h"
#include "recording/win/Debug.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"
#include "tests/win/WindowTestSupport.h"

#include "LotseConfig.h"

#include <gtest/gtest.h>

using namespace WindowTestSupport;

namespace {

// A dialog over any template that ends with the result the test chose.
class ResultDialog : public Template {
  public:
    INT_PTR result = 0;
    int initCount = 0;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG) {
            ++initCount;
            centerWindow(window);
            PostMessageW(window, WM_COMMAND, IDOK, 0);
        } else if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            close(result);
        }
        return 0;
    }
};

// A link that counts openings instead of starting a browser.
class CountingLink : public DialogTools::HyperLink {
  public:
    int opened = 0;
    int entered = 0;
    int left = 0;
    void open() override { ++opened; }
    void hoverEntered() override { ++entered; }
    void hoverLeft() override { ++left; }
};

// The Info template with its web address made a link (two links when asked).
class LinkDialog : public Template {
  public:
    CountingLink link;
    CountingLink secondLink;
    bool twoLinks = false;
    INT_PTR dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) override {
        if (message == WM_INITDIALOG) {
            SetDlgItemTextW(window, IDC_INFO_WEB, L"https://localhost");
            link.attach(window, IDC_INFO_WEB);
            if (twoLinks)
                secondLink.attach(window, IDC_INFO_MAKER);
        } else if (message == WM_COMMAND && (LOWORD(wParam) == IDCANCEL)) {
            close(0);
        }
        return 0;
    }
    HWND linkControl() const { return GetDlgItem(window, IDC_INFO_WEB); }
};

COLORREF linkTextColour(HWND dialog, HWND control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SendMessageW(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(control));
    COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
}

HFONT controlFont(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}

} // namespace

TEST(Template, ModalDialogReturnsItsCloseResultAndZeroForCancel) {
    ResultDialog seven;
    seven.result = 7;
    EXPECT_EQ(seven.create(IDD_SETTINGS, nullptr, false, true), 7);
    EXPECT_EQ(seven.initCount, 1);
    EXPECT_EQ(seven.window, nullptr); // the window ended with the dialog

    // Settings closed with its close button (IDCANCEL) from inside its loop.
    Settings settings;
    HWND seen = nullptr;
    TimedSteps steps({[&] { seen = settings.window; },
                      [&] { PostMessageW(settings.window, WM_COMMAND, IDCANCEL, 0); }});
    EXPECT_EQ(settings.create(IDD_SETTINGS, nullptr, false, true), 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_NE(seen, nullptr);
    EXPECT_FALSE(IsWindow(seen));

    // The message WM_QUIT reaching a dialog closes it with 0 as well. (Posted,
    // it would end the modal loop before reaching the dialog.)
    Info info;
    TimedSteps quitSteps({[&] { SendMessageW(info.window, WM_QUIT, 0, 0); }});
    EXPECT_EQ(info.create(IDD_INFO, nullptr, false, true), 0);

    // A template that does not exist: -1, no window.
    ResultDialog missing;
    EXPECT_EQ(missing.create(9999, nullptr, false, true), -1);
    EXPECT_EQ(missing.window, nullptr);
}

TEST(Template, LiveModelessWindowIsBroughtToFrontNotCreatedTwice) {
    Info info;
    EXPECT_EQ(info.create(IDD_INFO, nullptr, true, true), 0);
    ASSERT_NE(info.window, nullptr);
    HWND first = info.window;
    EXPECT_TRUE(IsWindowVisible(first));
    EXPECT_EQ(info.modeless, 1);

    SetForegroundWindow(GetDesktopWindow());
    EXPECT_EQ(info.create(IDD_INFO, nullptr, true, true), 0);
    EXPECT_EQ(info.window, first);
    EXPECT_EQ(threadWindowsTitled(u"Info"), 1);
    EXPECT_EQ(GetForegroundWindow(), first);

    // Also a modal request for the live window only brings it to the front.
    EXPECT_EQ(info.create(IDD_INFO, nullptr, false, true), 0);
    EXPECT_EQ(info.modeless, 1);
    EXPECT_EQ(threadWindowsTitled(u"Info"), 1);

    info.close(0);
    EXPECT_EQ(info.window, nullptr);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(threadWindowsTitled(u"Info"), 0);
}

TEST(Template, WindowEndedByItsOwnerLeavesNoStaleHandle) {
    Info owner;
    Settings owned;
    owner.create(IDD_INFO, nullptr, true, false);
    owned.create(IDD_SETTINGS, owner.window, true, false);
    ASSERT_NE(owned.window, nullptr);
    DestroyWindow(owner.window);
    EXPECT_EQ(owner.window, nullptr);
    EXPECT_EQ(owned.window, nullptr);

    // A modeless window still open when its object ends is destroyed with it.
    HWND orphan = nullptr;
    {
        Info temporary;
        temporary.create(IDD_INFO, nullptr, true, false);
        orphan = temporary.window;
        ASSERT_TRUE(IsWindow(orphan));
    }
    EXPECT_FALSE(IsWindow(orphan));
}

TEST(Template, DialogsCentreOnThePrimaryScreen) {
    Settings settings;
    settings.create(IDD_SETTINGS, nullptr, true, false);
    RECT rect{};
    GetWindowRect(settings.window, &rect);
    Origin expected = centeredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                     rect.right - rect.left, rect.bottom - rect.top);
    EXPECT_EQ(rect.left, expected.x);
    EXPECT_EQ(rect.top, expected.y);
    settings.close(0);
}

TEST(HyperLink, LinksShareOneUnderlinedFontUntilTheLastOneCloses) {
    ASSERT_EQ(DialogTools::HyperLink::liveLinks(), 0);
    LinkDialog a;
    LinkDialog b;
    a.create(IDD_INFO, nullptr, true, true);
    b.create(IDD_INFO, nullptr, true, true);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 2);
    HFONT shared = DialogTools::HyperLink::sharedFont();
    ASSERT_NE(shared, nullptr);
    LOGFONTW font{};
    ASSERT_GT(GetObjectW(shared, sizeof(font), &font), 0);
    EXPECT_TRUE(font.lfUnderline);
    EXPECT_EQ(a.link.linkTarget(), String(LOTSE_PRODUCT_PAGE));
    EXPECT_TRUE(GetWindowLongPtrW(a.linkControl(), GWL_STYLE) & SS_NOTIFY);

    // Hovering: both links draw with the same underlined font.
    HFONT normal = controlFont(a.linkControl());
    SendMessageW(a.linkControl(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    SendMessageW(b.linkControl(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(controlFont(b.linkControl()), shared);
    EXPECT_EQ(GetCapture(), b.linkControl()); // b took the capture from a
    EXPECT_FALSE(a.link.isHovering());
    EXPECT_EQ(controlFont(a.linkControl()), normal);
    ReleaseCapture();

    b.close(0);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 1);
    EXPECT_EQ(DialogTools::HyperLink::sharedFont(), shared);
    EXPECT_GT(GetObjectW(shared, sizeof(font), &font), 0);

    a.close(0);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 0);
    EXPECT_EQ(DialogTools::HyperLink::sharedFont(), nullptr);
    EXPECT_EQ(GetObjectW(shared, sizeof(font), &font), 0); // deleted
}

TEST(HyperLink, HoverUnderlinesAndLeavingTheLinkReleasesTheCapture) {
    LinkDialog dialog;
    dialog.create(IDD_INFO, nullptr, true, true);
    HWND control = dialog.linkControl();
    HFONT normal =
        reinterpret_cast<HFONT>(SendMessageW(dialog.window, WM_GETFONT, 0, 0)); // the dialog's font
    EXPECT_EQ(controlFont(control), normal);

    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(dialog.link.isHovering());
    EXPECT_EQ(dialog.link.entered, 1);
    EXPECT_EQ(GetCapture(), control);
    EXPECT_EQ(controlFont(control), DialogTools::HyperLink::sharedFont());

    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(4, 3)); // still inside
    EXPECT_EQ(GetCapture(), control);
    EXPECT_EQ(dialog.link.entered, 1);

    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(static_cast<WORD>(-5), 3)); // left of it
    EXPECT_NE(GetCapture(), control);
    EXPECT_FALSE(dialog.link.isHovering());
    EXPECT_EQ(dialog.link.left, 1);
    EXPECT_EQ(controlFont(control), normal);

    // The hand cursor while over the link.
    EXPECT_EQ(SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    dialog.close(0);
}

TEST(HyperLink, VisitedLinkStaysPurpleAcrossOpenings) {
    LinkDialog dialog;
    dialog.twoLinks = true; // two links on one dialog: the dialog is subclassed once
    dialog.create(IDD_INFO, nullptr, true, true);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 2);
    HWND control = dialog.linkControl();
    HWND other = GetDlgItem(dialog.window, IDC_INFO_MAKER);
    EXPECT_EQ(linkTextColour(dialog.window, control), RGB(0, 0, 255));
    EXPECT_EQ(linkTextColour(dialog.window, other), RGB(0, 0, 255));
    // A static that is no link keeps the colour the dialog gives it.
    COLORREF plain = linkTextColour(dialog.window, GetDlgItem(dialog.window, IDC_INFO_VERSION));
    EXPECT_NE(plain, RGB(0, 0, 255));

    SendMessageW(control, WM_KEYUP, 'A', 0); // only the space bar opens
    EXPECT_EQ(dialog.link.opened, 0);
    SendMessageW(control, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(dialog.link.opened, 1);
    SendMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(dialog.link.opened, 2);
    EXPECT_TRUE(dialog.link.isVisited());
    EXPECT_EQ(linkTextColour(dialog.window, control), RGB(128, 0, 128));
    EXPECT_EQ(linkTextColour(dialog.window, other), RGB(0, 0, 255));
    dialog.close(0);
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 0);

    dialog.twoLinks = false;
    dialog.create(IDD_INFO, nullptr, true, true);
    EXPECT_EQ(linkTextColour(dialog.window, dialog.linkControl()), RGB(128, 0, 128));
    dialog.close(0);
}

TEST(HyperLink, LinkEndingBeforeItsWindowDetachesCleanly) {
    Template host; // the Info template without the Info dialog's own link
    host.create(IDD_INFO, nullptr, true, false);
    HWND control = GetDlgItem(host.window, IDC_INFO_WEB);
    {
        CountingLink link;
        link.attach(host.window, IDC_INFO_WEB);
        EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 1);
    }
    EXPECT_EQ(DialogTools::HyperLink::liveLinks(), 0);
    // The control works as a plain static again.
    SendMessageW(control, WM_LBUTTONUP, 0, 0);
    SendMessageW(control, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_NE(GetCapture(), control);
    host.close(0);
}

TEST(Debug, ShowsTheTraceAndTheFoundRectangleFromItsResource) {
    MemoryAutomation tree;
    AutomationElementPtr found =
        tree.add(tree.root(), String(u"OK"), u"Button", u"1", {10, 20, 110, 60});
    ElementTrace trace;
    trace.elements.resize(2);
    trace.elements[0].name = String(u"OK");
    trace.elements[0].found = true;
    trace.elements[0].matchNote = u"Name";
    trace.elements[1].className = u"#32769";

    Debug debug;
    debug.client = &tree;
    debug.trace = &trace;
    debug.element = &found;
    debug.refresh(); // no window yet: nothing to do
    String shown, afterRefresh, title;
    TimedSteps steps({[&] {
                          title = windowText(debug.window);
                          shown = itemText(debug.window, IDC_DEBUG_TEXT);
                          tree.properties(found)->rect = {1, 2, 3, 4};
                          debug.refresh();
                          afterRefresh = itemText(debug.window, IDC_DEBUG_TEXT);
                      },
                      [&] { PostMessageW(debug.window, WM_COMMAND, IDCLOSE, 0); }});
    EXPECT_EQ(debug.create(IDD_DEBUG, nullptr, false, true), 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(title, String(u"Debug"));
    EXPECT_EQ(shown,
              String(u"Name(OK)  -> \u2713 (Name)\nClass(#32769)  -> \u274C\nrect: 10 110 20 60"));
    EXPECT_EQ(afterRefresh, debugText(&tree, &trace, found));
    EXPECT_EQ(debug.window, nullptr);
}
