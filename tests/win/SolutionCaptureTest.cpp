#include "automation/win/OverlayWindow.h"
#include "automation/win/WindowTreeClient.h"
#include "recording/InputMonitors.h"
#include "recording/win/SolutionCapture.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/DialogSteps.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

using namespace WindowTestSupport;
using namespace DialogStepsSupport;

namespace {

const String recorderTitle = u"Lösung aufnehmen";

int lineCount(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_CAPTURE_LIST, LB_GETCOUNT, 0, 0));
}

int selectedLine(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageW(dialog, IDC_CAPTURE_LIST, LB_GETCURSEL, 0, 0));
}

String line(HWND dialog, int index) {
    wchar_t text[256] = {};
    SendDlgItemMessageW(dialog, IDC_CAPTURE_LIST, LB_GETTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(text));
    return fromWide(text);
}

void pointAt(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

ElementRect screenRect(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

// A program to record in: a window with a "Weiter" button, away from the
// recorder, which centres itself.
struct Target {
    Target() {
        WNDCLASSW type{};
        type.lpfnWndProc = DefWindowProcW;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"LotseRecordTarget";
        type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&type);
        frame =
            CreateWindowExW(0, L"LotseRecordTarget", L"Ziel", WS_POPUP | WS_CAPTION | WS_VISIBLE,
                            20, 20, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        button =
            CreateWindowExW(0, L"BUTTON", L"Weiter", WS_CHILD | WS_VISIBLE, 40, 40, 120, 40, frame,
                            reinterpret_cast<HMENU>(77), GetModuleHandleW(nullptr), nullptr);
        pumpMessages();
    }
    ~Target() { DestroyWindow(frame); }
    HWND frame = nullptr;
    HWND button = nullptr;
};

} // namespace

TEST(SolutionCapture, TheDialogFollowsTheRecorderAndClosingShowsTheMainWindow) {
    Target target;
    ASSERT_TRUE(target.button);
    WindowTreeClient tree;
    AutomationClient* client = &tree;
    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(u"{\"3\":{\"module_name\":\"nichtda.exe\"}}");
    TicketList tickets(catalogue);
    tickets.loadFromReply(
        u"{\"42\":{\"question\":\"Wie geht es weiter?\",\"software_list\":\"3\"}}");
    ClickMonitor::instance().takeClick();
    SolutionCapture capture(client, tickets, catalogue);

    struct Seen {
        String title, question, buttonAtOpen, buttonRecording, buttonStopped, hovered,
            hoveredStopped;
        bool debugVisible = true, saveAtOpen = true, saveRecording = true, saveStopped = false;
        bool hooked = false;
        int linesAfterOwnClick = -1, selectedStopped = 0;
        String recorded;
        ElementRect marked, found;
    } seen;
    HWND dialog = nullptr;
    DWORD waitUntil = 0;
    auto waited = [&] { return static_cast<LONG>(GetTickCount() - waitUntil) >= 0; };
    DialogSteps steps(
        {{[&] { return capture.window != nullptr; },
          [&] {
              dialog = capture.window;
              seen.title = windowText(dialog);
              seen.question = itemText(dialog, IDC_CAPTURE_QUESTION);
              seen.buttonAtOpen = itemText(dialog, IDC_CAPTURE_RECORD);
              seen.debugVisible = IsWindowVisible(GetDlgItem(dialog, IDC_CAPTURE_DEBUG));
              seen.saveAtOpen = IsWindowEnabled(GetDlgItem(dialog, IDC_CAPTURE_SAVE));
              pointAt(target.button);
              SendMessageW(dialog, WM_COMMAND, IDC_CAPTURE_RECORD, 0);
              seen.buttonRecording = itemText(dialog, IDC_CAPTURE_RECORD);
              seen.saveRecording = IsWindowEnabled(GetDlgItem(dialog, IDC_CAPTURE_SAVE));
              seen.hooked = ClickMonitor::instance().hook && KeyMonitor::instance().hook;
          }},
         {[&] { return itemText(dialog, IDC_CAPTURE_HOVERED) == String(u"Weiter"); },
          [&] {
              seen.hovered = itemText(dialog, IDC_CAPTURE_HOVERED);
              seen.marked = OverlayWindow::instance().rect();
              // Over the recorder's own list the pending element goes.
              pointAt(GetDlgItem(dialog, IDC_CAPTURE_LIST));
              waitUntil = GetTickCount() + 300;
          }},
         {waited,
          [&] {
              ClickMonitor::instance().note(WM_LBUTTONDOWN);
              waitUntil = GetTickCount() + 100;
          }},
         {waited,
          [&] {
              seen.linesAfterOwnClick = lineCount(dialog);
              RECT r;
              GetWindowRect(target.frame, &r);
              SetCursorPos(r.right - 20, r.bottom - 20);
          }},
         {[&] { return itemText(dialog, IDC_CAPTURE_HOVERED) == String(u"Ziel"); },
          [&] { ClickMonitor::instance().note(WM_LBUTTONDOWN); }},
         {[&] { return lineCount(dialog) == 1; },
          [&] {
              seen.recorded = line(dialog, selectedLine(dialog));
              SendMessageW(dialog, WM_COMMAND, IDC_CAPTURE_RECORD, 0);
              seen.buttonStopped = itemText(dialog, IDC_CAPTURE_RECORD);
              seen.saveStopped = IsWindowEnabled(GetDlgItem(dialog, IDC_CAPTURE_SAVE));
              seen.selectedStopped = selectedLine(dialog);
              seen.hoveredStopped = itemText(dialog, IDC_CAPTURE_HOVERED);
              // The user selects the line: its element is searched and marked.
              SendDlgItemMessageW(dialog, IDC_CAPTURE_LIST, LB_SETCURSEL, 0, 0);
              SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CAPTURE_LIST, LBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CAPTURE_LIST)));
              seen.found = OverlayWindow::instance().rect();
              PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
          }}},
        [] { closeThreadWindows(recorderTitle); });

    int mainShown = 0;
    EXPECT_EQ(capture.open(42, [&] { ++mainShown; }), 0);
    EXPECT_TRUE(steps.finished());
    EXPECT_EQ(seen.title, recorderTitle);
    EXPECT_EQ(seen.question, String(u"Wie geht es weiter?"));
    EXPECT_EQ(seen.buttonAtOpen, String(u"Aufnahme starten"));
    EXPECT_FALSE(seen.debugVisible);
    EXPECT_FALSE(seen.saveAtOpen);
    EXPECT_EQ(seen.buttonRecording, String(u"Aufnahme stoppen"));
    EXPECT_FALSE(seen.saveRecording);
    EXPECT_TRUE(seen.hooked);
    EXPECT_EQ(seen.linesAfterOwnClick, 0);
    EXPECT_EQ(seen.hovered, String(u"Weiter"));
    EXPECT_EQ(seen.marked, screenRect(target.button));
    EXPECT_EQ(seen.recorded, String(u"Linker Mausklick -> Ziel"));
    EXPECT_EQ(seen.buttonStopped, String(u"Aufnahme starten"));
    EXPECT_TRUE(seen.saveStopped);
    EXPECT_EQ(seen.selectedStopped, -1);
    EXPECT_TRUE(seen.hoveredStopped.empty());
    EXPECT_EQ(seen.found, screenRect(target.frame));

    // Closed: the main window is back, the hooks and the overlay are gone.
    EXPECT_EQ(mainShown, 1);
    EXPECT_EQ(capture.window, nullptr);
    EXPECT_EQ(ClickMonitor::instance().hook, nullptr);
    EXPECT_EQ(OverlayWindow::instance().window(), nullptr);
    EXPECT_EQ(capture.model().entries().size(), 1u);
}
