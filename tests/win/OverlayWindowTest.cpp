#include "automation/win/OverlayWindow.h"
#include "tests/support/MemoryAutomation.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

// The frame's image, placement and blinking are decided natively (OverlayTest);
// the end-to-end scripts check frames on the screen.

using namespace WindowTestSupport;

namespace {

// The colour at x, y of the window's client area as WM_PRINTCLIENT paints it.
COLORREF painted(HWND window, int x, int y) {
    RECT client;
    GetClientRect(window, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    const COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return colour;
}

bool classRegistered() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(GetModuleHandleW(nullptr), OverlayWindow::className, &info);
}

} // namespace

TEST(OverlayWindow, FramesTheElementInALayeredTopMostWindowOverItsMonitor) {
    MemoryAutomation tree;
    auto button = tree.add(tree.root(), String(u"OK"), u"Button", u"", {300, 200, 400, 240});
    HWND owner = CreateWindowExW(0, L"STATIC", L"Owner", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    OverlayWindow overlay;
    overlay.attach(GetModuleHandleW(nullptr), owner);
    ASSERT_TRUE(overlay.show(&tree, button));
    HWND window = overlay.window();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & 0x80028, 0x80028);
    EXPECT_EQ(GetWindow(window, GW_OWNER), owner); // owned popup, not a child
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_NE(GetForegroundWindow(), window); // never activated

    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT placed;
    GetWindowRect(window, &placed);
    EXPECT_TRUE(EqualRect(&placed, &monitor.rcMonitor));

    COLORREF key = 1;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(0, 0, 0));
    EXPECT_EQ(alpha, 170);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(350, 220)), HTCAPTION);

    // The box where the element is: green inside a yellow border, black
    // (transparent through the colour key) around it.
    EXPECT_EQ(painted(window, 350, 220), RGB(0, 255, 0));
    EXPECT_EQ(painted(window, 300, 220), RGB(255, 200, 0));
    EXPECT_EQ(painted(window, 398, 238), RGB(255, 200, 0));
    EXPECT_EQ(painted(window, 296, 220), RGB(0, 0, 0));
    EXPECT_EQ(painted(window, 350, 243), RGB(0, 0, 0));

    // Each new rectangle gets its frame image; the previous one is released.
    HBITMAP firstBitmap = overlay.frameBitmap();
    HDC firstDc = overlay.frameDc();
    ASSERT_NE(firstBitmap, nullptr);
    tree.properties(button)->rect = {500, 600, 520, 610};
    EXPECT_TRUE(overlay.show(&tree, button));
    EXPECT_EQ(overlay.window(), window);
    EXPECT_EQ(GetObjectType(firstBitmap), 0u);
    EXPECT_EQ(GetObjectType(firstDc), 0u);
    EXPECT_EQ(painted(window, 350, 220), RGB(0, 0, 0));
    EXPECT_EQ(painted(window, 510, 605), RGB(0, 255, 0));

    // None keeps the window and paints nothing.
    EXPECT_FALSE(overlay.show(&tree, nullptr));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(overlay.rect().isEmpty());
    EXPECT_EQ(painted(window, 510, 605), RGB(0, 0, 0));

    // Shutdown takes window, class, bitmap and memory context.
    EXPECT_TRUE(overlay.show(&tree, button));
    HBITMAP lastBitmap = overlay.frameBitmap();
    HDC lastDc = overlay.frameDc();
    overlay.shutdown();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(overlay.window(), nullptr);
    EXPECT_FALSE(classRegistered());
    EXPECT_EQ(GetObjectType(lastBitmap), 0u);
    EXPECT_EQ(GetObjectType(lastDc), 0u);

    // A later show makes it again; destroying the owner takes the window with it,
    // and the next show brings it back.
    EXPECT_TRUE(overlay.show(&tree, button));
    ASSERT_TRUE(IsWindow(overlay.window()));
    DestroyWindow(owner);
    EXPECT_EQ(overlay.window(), nullptr);
    overlay.attach(GetModuleHandleW(nullptr), nullptr);
    EXPECT_TRUE(overlay.show(&tree, button));
    EXPECT_TRUE(IsWindow(overlay.window()));
    overlay.shutdown();
    EXPECT_FALSE(classRegistered());
}

// A settings page blinks: the timer hides and shows the frame (seen as the
// window is told, not by sampling); an ordinary element ends it, shown.
TEST(OverlayWindow, SettingsElementBlinksOnTheTimer) {
    MemoryAutomation tree;
    auto page = tree.add(tree.root(), String(u"System"), u"Page",
                         u"windows.immersivecontrolpanel_cw5n1h2txyewy!microsoft.windows",
                         {300, 200, 400, 240});
    OverlayWindow overlay;
    ASSERT_TRUE(overlay.show(&tree, page));
    HWND window = overlay.window();
    static std::vector<bool> shown;
    static WNDPROC original;
    shown.clear();
    original = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC,
        reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == WM_SHOWWINDOW)
                shown.push_back(wp != 0);
            return CallWindowProcW(original, w, m, wp, lp);
        })));
    waitFor([] { return shown.size() >= 3; }, 5000);
    EXPECT_EQ(shown, (std::vector<bool>{false, true, false}));

    auto button = tree.add(tree.root(), String(u"OK"), u"Button", u"1", {10, 10, 50, 30});
    EXPECT_TRUE(overlay.show(&tree, button));
    shown.clear();
    pumpFor(300);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(IsWindowVisible(window));
    overlay.shutdown();
}
