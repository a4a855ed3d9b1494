#include "app/SoftwareCatalogue.h"
#include "automation/ElementDescription.h"
#include "automation/win/OverlayWindow.h"
#include "automation/win/WindowTreeClient.h"
#include "playback/win/Feedback.h"
#include "playback/win/SolutionNavigator.h"
#include "playback/win/SolutionNotification.h"
#include "recording/InputMonitors.h"
#include "resources/resource.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"
#include "tests/win/DialogSteps.h"
#include "tests/win/WinTestEnvironment.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace WindowTestSupport;
using DialogStepsSupport::threadWindowTitled;

namespace {

const String navigatorTitle = u"Solution navigator";
const String feedbackTitle = u"War die Lösung hilfreich?";
const String notificationTitle = u"Deine Suche wurde gelöst!";

// Dispatches messages until `done` holds; false when it did not within the limit.
bool pumpUntil(const std::function<bool()>& done, int limitMs = 5000) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(limitMs);
    while (!done()) {
        if (static_cast<LONG>(GetTickCount() - end) > 0)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    return true;
}

// The message of a message box: the text of its one static control with text.
String boxText(HWND box) {
    String found;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t name[16] = {};
            GetClassNameW(child, name, 16);
            const String text = windowText(child);
            if (lstrcmpiW(name, L"Static") == 0 && !text.empty())
                *reinterpret_cast<String*>(data) = text;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// A program window of this process with the button "Weiter", and the one step
// of a capture: a left click on it.
struct Subject {
    HWND frame = nullptr;
    HWND button = nullptr;
    WindowTreeClient tree;
    AutomationClient* client = &tree;

    Subject() {
        frame = CreateWindowExW(0, L"STATIC", L"Testprogramm", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                100, 100, 400, 300, nullptr, nullptr, nullptr, nullptr);
        button = CreateWindowExW(0, L"BUTTON", L"Weiter", WS_CHILD | WS_VISIBLE, 20, 20, 120, 30,
                                 frame, reinterpret_cast<HMENU>(77), nullptr, nullptr);
        pumpMessages();
    }
    ~Subject() { DestroyWindow(frame); }

    Ticket ticket(const String& moduleName = String()) {
        Ticket t;
        t.id = 1; // solved in the demo data
        t.id_capture = 1;
        t.id_state = TicketSolved;
        t.software_list = {990001};
        t.question = u"Wie komme ich weiter?";
        CaptureAction click;
        click.kind = Action::leftClick;
        click.trace = buildTrace(client, tree.element(button));
        if (!moduleName.empty())
            click.trace.elements.front().moduleName = moduleName;
        t.capture.actions = {click};
        return t;
    }
};

struct ProgramSoftware {
    ProgramSoftware() {
        SoftwareEntry& entry = SoftwareCatalogue::instance().entry(990001);
        entry.id = 990001;
        entry.file_desc = u"Testprogramm";
        entry.file_version = u"2.5";
    }
};

} // namespace

TEST(SolutionNavigator, WaitsForTheProgramThenFramesTheStepAndAsksForFeedback) {
    ProgramSoftware software;
    Subject subject;
    int mainShown = 0;
    SolutionNavigator navigator(subject.client, [&] { ++mainShown; });
    const Ticket ticket = subject.ticket();
    ASSERT_EQ(ticket.capture.actions[0].trace.elements[0].moduleName,
              String(u"lotse_wintests.exe"));

    navigator.start(subject.ticket(u"nosuch.exe"));
    HWND window = threadWindowTitled(navigatorTitle);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_NAVIGATOR_NEXT)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_NAVIGATOR_DEBUG)));
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(
                   SendDlgItemMessageW(window, IDC_NAVIGATOR_INSTRUCTION, WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -16);
    EXPECT_TRUE(pumpUntil([&] {
        return itemText(window, IDC_NAVIGATOR_INSTRUCTION) ==
               String(u"Bitte öffne die Anwendung 'Testprogramm'");
    }));

    // The program is this one: the same window takes the new ticket.
    navigator.start(ticket);
    EXPECT_EQ(threadWindowTitled(navigatorTitle), window);
    EXPECT_TRUE(pumpUntil([&] {
        return itemText(window, IDC_NAVIGATOR_INSTRUCTION) ==
                   String(u"Linker Mausklick auf \"Weiter\"") &&
               !OverlayWindow::instance().rect().isEmpty();
    }));
    RECT button{};
    GetWindowRect(subject.button, &button);
    EXPECT_EQ(OverlayWindow::instance().rect(),
              (ElementRect{button.left, button.top, button.right, button.bottom}));

    SetCursorPos(button.left + 5, button.top + 5);
    ClickMonitor::instance().state = Action::leftClick;
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(window); }));
    EXPECT_EQ(mainShown, 1);
    EXPECT_TRUE(OverlayWindow::instance().rect().isEmpty());
    EXPECT_EQ(ClickMonitor::instance().hook, nullptr);
    EXPECT_EQ(KeyMonitor::instance().hook, nullptr);
    HWND feedback = threadWindowTitled(feedbackTitle);
    ASSERT_NE(feedback, nullptr);
    EXPECT_TRUE(GetWindowLongW(feedback, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(navigator.feedback.ticketId, 1);
    SendMessageW(feedback, WM_COMMAND, IDCANCEL, 0);
}

TEST(Feedback, AnswerClosesTheQuestionThenReachesTheService) {
    if (WinTestEnvironment::servicePort() == 0)
        GTEST_SKIP() << "no test service (--service-port)";
    ServiceClient::setServer(u"localhost", WinTestEnvironment::servicePort());
    Subject subject;
    Feedback feedback(subject.client);
    Ticket ticket = subject.ticket();
    const AutomationElementPtr element = subject.tree.element(subject.button);

    feedback.open(nullptr, element);
    feedback.open(&ticket, nullptr);
    EXPECT_EQ(threadWindowTitled(feedbackTitle), nullptr);

    Ticket other = ticket;
    other.id = 2;
    feedback.open(&other, element);
    feedback.open(&ticket, element);
    EXPECT_EQ(threadWindowsTitled(feedbackTitle), 1);
    EXPECT_EQ(feedback.ticketId, 1);
    EXPECT_EQ(feedback.software.module_name, String(u"lotse_wintests.exe"));

    bool closedFirst = false;
    String thanks;
    DialogSteps steps(
        {{nullptr, [&] { PostMessageW(feedback.window, WM_COMMAND, IDC_FEEDBACK_NO, 0); }},
         {[&] { return threadWindowTitled(u"Feedback erhalten") != nullptr; },
          [&] {
              closedFirst = threadWindowTitled(feedbackTitle) == nullptr;
              HWND box = threadWindowTitled(u"Feedback erhalten");
              thanks = boxText(box);
              PostMessageW(box, WM_COMMAND, IDOK, 0);
          }}},
        [] {
            DialogStepsSupport::closeThreadWindows(u"Fehler");
            DialogStepsSupport::closeThreadWindows(feedbackTitle);
        });
    EXPECT_TRUE(pumpUntil([&] { return steps.finished() && !feedback.window; }, 20000));
    EXPECT_TRUE(closedFirst);
    EXPECT_EQ(thanks, String(u"Vielen Dank für dein Feedback!"));
}

TEST(SolutionNotification, ShowsTheFirstTicketAndPlaysTheLatest) {
    ProgramSoftware software;
    Subject subject;
    int mainShown = 0;
    SolutionNotification notification(subject.client, [&] { ++mainShown; });
    Ticket first = subject.ticket(u"nosuch.exe");
    Ticket second = first;
    second.id = 5;
    second.question = u"Eine andere Frage";

    notification.announce(first);
    HWND window = threadWindowTitled(notificationTitle);
    ASSERT_NE(window, nullptr);
    notification.announce(second);
    EXPECT_EQ(threadWindowTitled(notificationTitle), window);
    EXPECT_EQ(itemText(window, IDC_NOTIFICATION_QUESTION), String(u"Wie komme ich weiter?"));
    EXPECT_EQ(itemText(window, IDC_NOTIFICATION_SOFTWARE), String(u"Testprogramm - v2.5"));

    SendMessageW(window, WM_COMMAND, IDC_NOTIFICATION_SHOW, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(notification.navigator.playback().ticket().id, 5);
    HWND navigator = threadWindowTitled(navigatorTitle);
    ASSERT_NE(navigator, nullptr);
    SendMessageW(navigator, WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindow(navigator));
    EXPECT_EQ(mainShown, 1);
}

// Run by tests/win/navigator-wait-cpu.test.sh, which measures the process while
// a navigator waits for a program that is not running.
TEST(SolutionNavigator, DISABLED_WaitsTwelveSecondsForAMissingProgram) {
    ProgramSoftware software;
    Subject subject;
    SolutionNavigator navigator(subject.client, [] {});
    navigator.start(subject.ticket(u"nosuch.exe"));
    HWND window = threadWindowTitled(navigatorTitle);
    ASSERT_NE(window, nullptr);
    std::printf("navigator waiting\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + 12000;
    MSG message;
    const UINT_PTR timer = SetTimer(nullptr, 0, 12000, nullptr);
    while (static_cast<LONG>(GetTickCount() - end) < 0 && GetMessageW(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    KillTimer(nullptr, timer);
    EXPECT_EQ(itemText(window, IDC_NAVIGATOR_INSTRUCTION),
              String(u"Bitte öffne die Anwendung 'Testprogramm'"));
    EXPECT_TRUE(navigator.playback().isWaitingForApplication());
}
