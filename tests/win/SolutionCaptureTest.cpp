#include "automation/win/OverlayWindow.h"
#include "automation/win/WindowTreeClient.h"
#include "recording/InputMonitors.h"
#include "recording/win/SolutionCapture.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/DialogSteps.h"

#include <gtest/gtest.h>

using namespace WindowTestSupport;

namespace {

ElementRect screenRect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

void pointAt(HWND window) {
    const ElementRect r = screenRect(window);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

// Two buttons of a program to record in, away from the recorder, which
// centres itself on the screen.
struct Button {
    Button(const wchar_t* name, int y)
        : window(CreateWindowExW(0, L"BUTTON", name, WS_POPUP | WS_VISIBLE, 20, y, 120, 40, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr)) {
        pumpMessages();
    }
    ~Button() { DestroyWindow(window); }
    HWND window;
};

} // namespace

TEST(SolutionCapture, TheDialogFollowsTheRecorderAndClosingShowsTheMainWindow) {
    Button next(L"Weiter", 20), other(L"Ziel", 100);
    WindowTreeClient tree;
    AutomationClient* client = &tree;
    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(u"{\"3\":{\"module_name\":\"nichtda.exe\"}}");
    TicketList tickets(catalogue);
    tickets.loadFromReply(u"{\"42\":{\"question\":\"Wie weiter?\",\"software_list\":\"3\"}}");
    ClickMonitor::instance().takeClick();
    SolutionCapture capture(client, tickets, catalogue);
    HWND dialog = nullptr;
    auto text = [&](int id) { return itemText(dialog, id); };
    auto list = [&](UINT message, WPARAM wParam = 0) {
        return static_cast<int>(SendDlgItemMessageW(dialog, IDC_CAPTURE_LIST, message, wParam, 0));
    };
    auto command = [&](WPARAM wParam) { SendMessageW(dialog, WM_COMMAND, wParam, 0); };
    DWORD until = 0;
    auto waited = [&] { return static_cast<LONG>(GetTickCount() - until) >= 0; };

    DialogSteps steps({{[&] { return capture.window != nullptr; },
                        [&] {
                            dialog = capture.window;
                            EXPECT_EQ(windowText(dialog), String(u"Lösung aufnehmen"));
                            EXPECT_EQ(text(IDC_CAPTURE_QUESTION), String(u"Wie weiter?"));
                            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_CAPTURE_DEBUG)));
                            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CAPTURE_SAVE)));
                            pointAt(next.window);
                            command(IDC_CAPTURE_RECORD);
                            EXPECT_EQ(text(IDC_CAPTURE_RECORD), String(u"Aufnahme stoppen"));
                            EXPECT_TRUE(ClickMonitor::instance().hook &&
                                        KeyMonitor::instance().hook);
                        }},
                       {[&] { return text(IDC_CAPTURE_HOVERED) == String(u"Weiter"); },
                        [&] {
                            EXPECT_EQ(OverlayWindow::instance().rect(), screenRect(next.window));
                            // Over the recorder's own list the pending element goes.
                            pointAt(GetDlgItem(dialog, IDC_CAPTURE_LIST));
                            until = GetTickCount() + 300;
                        }},
                       {waited,
                        [&] {
                            ClickMonitor::instance().note(WM_LBUTTONDOWN);
                            until = GetTickCount() + 100;
                        }},
                       {waited,
                        [&] {
                            EXPECT_EQ(list(LB_GETCOUNT), 0);
                            pointAt(other.window);
                        }},
                       {[&] { return text(IDC_CAPTURE_HOVERED) == String(u"Ziel"); },
                        [&] { ClickMonitor::instance().note(WM_LBUTTONDOWN); }},
                       {[&] { return list(LB_GETCOUNT) == 1; },
                        [&] {
                            wchar_t line[64] = {};
                            SendDlgItemMessageW(dialog, IDC_CAPTURE_LIST, LB_GETTEXT, 0,
                                                reinterpret_cast<LPARAM>(line));
                            EXPECT_EQ(fromWide(line), String(u"Linker Mausklick -> Ziel"));
                            EXPECT_EQ(list(LB_GETCURSEL), 0);
                            command(IDC_CAPTURE_RECORD);
                            EXPECT_EQ(text(IDC_CAPTURE_RECORD), String(u"Aufnahme starten"));
                            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CAPTURE_SAVE)));
                            EXPECT_EQ(list(LB_GETCURSEL), -1);
                            // The user selects the line: its element is searched and marked.
                            list(LB_SETCURSEL, 0);
                            command(MAKEWPARAM(IDC_CAPTURE_LIST, LBN_SELCHANGE));
                            EXPECT_EQ(OverlayWindow::instance().rect(), screenRect(other.window));
                            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                        }}},
                      [] { DialogStepsSupport::closeThreadWindows(u"Lösung aufnehmen"); });

    int mainShown = 0;
    EXPECT_EQ(capture.open(42, [&] { ++mainShown; }), 0);
    EXPECT_TRUE(steps.finished());
    // Closed: the main window is back, the hooks and the overlay are gone.
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(capture.window, nullptr);
    EXPECT_EQ(ClickMonitor::instance().hook, nullptr);
    EXPECT_EQ(OverlayWindow::instance().window(), nullptr);
}
