#include "automation/ElementDescription.h"
#include "automation/ElementSearch.h"
#include "automation/Mnemonic.h"
#include "automation/win/DesktopWindowsApi.h"
#include "automation/win/ElementUnderCursor.h"
#include "automation/win/WindowTreeClient.h"
#include "base/win/WideText.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

using namespace WindowTestSupport;

namespace {

constexpr DWORD waitLimitMs = 20000;

// Polls `condition` every 50 ms, serving this thread's windows meanwhile.
bool waitFor(const std::function<bool()>& condition, DWORD limitMs = waitLimitMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start > limitMs)
            return false;
        pumpMessages();
        Sleep(50);
    }
}

// A control's text, also of another process.
String controlText(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
    return fromWide(text);
}

String classText(HWND window) {
    wchar_t text[257] = {};
    return fromWide(text, GetClassNameW(window, text, 257));
}

// The first descendant of `parent` with this class whose shown text is `text`.
HWND findControl(HWND parent, const String& className, const String& text) {
    struct Search {
        String className, text;
        HWND found = nullptr;
    } search{className, text};
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (classText(window) == s->className &&
                withoutMnemonic(controlText(window)) == s->text)
                s->found = window;
            return s->found == nullptr;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

ElementRect windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return ElementRect{r.left, r.top, r.right, r.bottom};
}

POINT centerOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// One line per level, for failure messages: name | class | automation id | module.
std::string traceText(const ElementTrace& trace) {
    std::ostringstream text;
    for (const ElementDescriptor& d : trace.elements) {
        PrintTo(d.name.value_or(String(u"<none>")), &text);
        text << " | ";
        PrintTo(d.className, &text);
        text << " | ";
        PrintTo(d.automationId, &text);
        text << " | ";
        PrintTo(d.moduleName, &text);
        text << "\n";
    }
    return text.str();
}

void expectLevel(const ElementTrace& trace, size_t level, const String& name,
                 const String& className, const String& automationId, const String& module) {
    ASSERT_LT(level, trace.elements.size()) << traceText(trace);
    const ElementDescriptor& d = trace.elements[level];
    EXPECT_EQ(d.name, std::optional<String>(name)) << "level " << level << "\n" << traceText(trace);
    EXPECT_EQ(d.className, className) << "level " << level << "\n" << traceText(trace);
    EXPECT_EQ(d.automationId, automationId) << "level " << level << "\n" << traceText(trace);
    EXPECT_EQ(d.moduleName, module) << "level " << level << "\n" << traceText(trace);
}

String systemProgram(const wchar_t* exe) {
    wchar_t folder[MAX_PATH + 1] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return fromWide(folder) + String(u"\\") + fromWide(exe);
}

// A program of the Wine prefix started for a test; ended with the object, so a
// failing test leaves nothing running.
class ExternalProgram {
  public:
    explicit ExternalProgram(const wchar_t* exe) {
        String commandLine = String(u"\"") + systemProgram(exe) + String(u"\"");
        std::vector<wchar_t> line(wide(commandLine), wide(commandLine) + commandLine.length() + 1);
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process))
            CloseHandle(process.hThread);
        else
            process = PROCESS_INFORMATION{};
    }
    ~ExternalProgram() { end(); }
    ExternalProgram(const ExternalProgram&) = delete;
    ExternalProgram& operator=(const ExternalProgram&) = delete;

    bool started() const { return process.hProcess != nullptr; }
    DWORD id() const { return process.dwProcessId; }

    // A visible top-level window of this process with that title; null when none
    // appears in time.
    HWND waitForWindow(const String& title) const {
        HWND found = nullptr;
        waitFor([&] {
            found = windowTitled(title);
            return found != nullptr;
        });
        return found;
    }

    HWND windowTitled(const String& title) const {
        struct Search {
            DWORD process;
            String title;
            HWND found = nullptr;
        } search{process.dwProcessId, title};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == s->process && IsWindowVisible(window) &&
                    controlText(window) == s->title)
                    s->found = window;
                return s->found == nullptr;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    void end() {
        if (!process.hProcess)
            return;
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
        process = PROCESS_INFORMATION{};
    }

  private:
    PROCESS_INFORMATION process{};
};

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// One of the program's dialogs, shown modeless at a position of the screen.
HWND openDialog(int resourceId, int x, int y) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                     nullptr, plainDialogProc, 0);
    if (dialog) {
        SetWindowPos(dialog, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        pumpMessages();
    }
    return dialog;
}

// Closes a window of this thread when the test ends, however it ends.
struct WindowCloser {
    HWND window;
    ~WindowCloser() {
        if (IsWindow(window))
            DestroyWindow(window);
    }
};

} // namespace

TEST(WindowTreeClient, TracesADialogButtonAndFindsItAgainAfterTheDialogWasReopened) {
    WindowTreeClient client;
    const String module = u"lotse_wintests.exe";
    const String title = u"War die Lösung hilfreich?";

    AutomationElementPtr root = client.root();
    ASSERT_TRUE(root);
    EXPECT_EQ(client.name(root), std::optional<String>(u"Desktop 1"));
    EXPECT_EQ(client.className(root), std::optional<String>(u"#32769"));
    EXPECT_EQ(client.automationId(root), std::optional<String>(u""));
    EXPECT_FALSE(client.parent(root));
    EXPECT_FALSE(client.nextSibling(root));

    HWND first = openDialog(IDD_FEEDBACK, 40, 50);
    WindowCloser closeFirst{first};
    ASSERT_TRUE(first);
    HWND yes = GetDlgItem(first, IDC_FEEDBACK_YES);
    AutomationElementPtr button = client.element(yes);
    ASSERT_TRUE(button);
    const ElementRect firstRect = windowRect(yes);

    ElementTrace trace = buildTrace(&client, button);
    ASSERT_EQ(trace.elements.size(), 3u) << traceText(trace);
    expectLevel(trace, 0, u"Ja", u"Button", u"1046", module);
    expectLevel(trace, 1, title, u"#32770", u"", module);
    EXPECT_EQ(trace.elements[2].name, std::optional<String>(u"Desktop 1"));
    EXPECT_EQ(trace.elements[2].className, String(u"#32769"));
    EXPECT_EQ(client.boundingRect(button), std::optional<ElementRect>(firstRect));
    EXPECT_EQ(runtimeIdText(&client, button),
              String::format(u"2a%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(yes))));
    EXPECT_EQ(client.processId(button), std::optional<uint32_t>(GetCurrentProcessId()));
    EXPECT_TRUE(isElementInWindow(&client, button, reinterpret_cast<uintptr_t>(first)));

    // Once the dialog is gone, its elements answer nothing.
    DestroyWindow(first);
    EXPECT_FALSE(client.name(button));
    EXPECT_FALSE(client.className(button));
    EXPECT_FALSE(client.automationId(button));
    EXPECT_FALSE(client.processId(button));
    EXPECT_EQ(client.nativeWindow(button), 0u);
    EXPECT_FALSE(client.boundingRect(button));
    EXPECT_TRUE(client.runtimeId(button).empty());
    EXPECT_FALSE(client.parent(button));
    EXPECT_FALSE(client.firstChild(button));
    EXPECT_FALSE(client.nextSibling(button));
    EXPECT_FALSE(client.sameElement(button, button));
    EXPECT_TRUE(client.findChildren(button, ElementCondition{}).empty());

    // Reopened elsewhere, owned by another window, first hidden: a hidden window
    // is not in the tree; shown, it is found by the trace, an owned top-level
    // window hanging under the desktop root all the same.
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    WindowCloser closeOwner{owner};
    HWND second = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_FEEDBACK),
                                     owner, plainDialogProc, 0);
    WindowCloser closeSecond{second};
    ASSERT_TRUE(second);
    ASSERT_NE(second, first);
    SetWindowPos(second, HWND_TOPMOST, 420, 310, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(second, SW_HIDE);
    EXPECT_FALSE(findElement(&client, trace, 0));

    ShowWindow(second, SW_SHOWNOACTIVATE);
    pumpMessages();
    HWND newYes = GetDlgItem(second, IDC_FEEDBACK_YES);
    AutomationElementPtr found = findElement(&client, trace, 0);
    ASSERT_TRUE(found) << traceText(trace);
    EXPECT_EQ(client.nativeWindow(found), reinterpret_cast<uintptr_t>(newYes));
    EXPECT_EQ(client.boundingRect(found), std::optional<ElementRect>(windowRect(newYes)));
    EXPECT_NE(windowRect(newYes), firstRect);
    EXPECT_EQ(trace.elements[0].matchNote, String(u"AID and Name"));
    EXPECT_EQ(trace.elements[1].matchNote, String(u"Class and Name"));
    EXPECT_TRUE(trace.elements[2].found);
    EXPECT_TRUE(client.sameElement(parentElement(&client, client.element(second)), root));
}

TEST(WindowTreeClient, FindsTaskManagerControlsAgainInANewProcess) {
    WindowTreeClient client;
    const String module = u"taskmgr.exe";
    ElementTrace newTaskTrace;
    ElementTrace openFieldTrace;
    ElementRect firstButtonRect;
    DWORD firstProcess = 0;
    {
        ExternalProgram taskManager(L"taskmgr.exe");
        ASSERT_TRUE(taskManager.started());
        firstProcess = taskManager.id();
        HWND main = taskManager.waitForWindow(u"Task Manager");
        ASSERT_TRUE(main);
        HWND newTask = nullptr;
        ASSERT_TRUE(waitFor([&] {
            newTask = findControl(main, u"Button", u"New Task...");
            return newTask && IsWindowVisible(newTask);
        }));
        firstButtonRect = windowRect(newTask);
        // A click on the button records the button.
        const POINT onButton = centerOf(newTask);
        EXPECT_EQ(client.nativeWindow(client.elementAtPoint(onButton.x, onButton.y)),
                  reinterpret_cast<uintptr_t>(newTask));
        newTaskTrace = buildTrace(&client, client.element(newTask));
        expectLevel(newTaskTrace, 0, u"New Task...", u"Button",
                    String::format(u"%d", GetDlgCtrlID(newTask)), module);
        expectLevel(newTaskTrace, newTaskTrace.elements.size() - 2, u"Task Manager", u"#32770", u"",
                    module);
        EXPECT_EQ(newTaskTrace.elements.back().className, String(u"#32769"));

        PostMessageW(newTask, BM_CLICK, 0, 0);
        HWND run = taskManager.waitForWindow(u"Create New Task");
        ASSERT_TRUE(run);
        HWND combo = nullptr;
        ASSERT_TRUE(waitFor([&] {
            combo = FindWindowExW(run, nullptr, L"ComboBox", nullptr);
            return combo && IsWindowVisible(combo);
        }));
        // What a click into the field hits: the combo box's edit.
        const POINT point = centerOf(combo);
        AutomationElementPtr field = client.elementAtPoint(point.x, point.y);
        ASSERT_TRUE(field);
        openFieldTrace = buildTrace(&client, field);
        // Named by its label, not by what is typed into it.
        expectLevel(openFieldTrace, 0, u"", u"Edit", u"1001", module);
        expectLevel(openFieldTrace, 1, u"Open:", u"ComboBox",
                    String::format(u"%d", GetDlgCtrlID(combo)), module);
        expectLevel(openFieldTrace, 2, u"Create New Task", u"#32770", u"", module);

        SendMessageTimeoutW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed text"),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        EXPECT_EQ(client.name(client.element(combo)), std::optional<String>(u"Open:"));
        PostMessageW(run, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(waitFor([&] { return !IsWindow(run); }));
    }

    ExternalProgram taskManager(L"taskmgr.exe");
    ASSERT_TRUE(taskManager.started());
    ASSERT_NE(taskManager.id(), firstProcess);
    HWND main = taskManager.waitForWindow(u"Task Manager");
    ASSERT_TRUE(main);
    // Elsewhere on the screen, so the frame must follow the window.
    RECT mainRect{};
    GetWindowRect(main, &mainRect);
    SetWindowPos(main, nullptr, mainRect.left + 150, mainRect.top + 100, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
    AutomationElementPtr newTask;
    ASSERT_TRUE(waitFor([&] {
        newTask = findElement(&client, newTaskTrace, 0);
        return newTask != nullptr;
    })) << traceText(newTaskTrace);
    HWND newTaskWindow = reinterpret_cast<HWND>(client.nativeWindow(newTask));
    EXPECT_EQ(newTaskWindow, findControl(main, u"Button", u"New Task..."));
    EXPECT_EQ(client.processId(newTask), std::optional<uint32_t>(taskManager.id()));
    EXPECT_EQ(client.boundingRect(newTask), std::optional<ElementRect>(windowRect(newTaskWindow)));
    EXPECT_NE(windowRect(newTaskWindow), firstButtonRect);
    EXPECT_EQ(newTaskTrace.elements[0].matchNote, String(u"AID and Name"));

    PostMessageW(newTaskWindow, BM_CLICK, 0, 0);
    HWND run = taskManager.waitForWindow(u"Create New Task");
    ASSERT_TRUE(run);
    AutomationElementPtr field;
    ASSERT_TRUE(waitFor([&] {
        field = findElement(&client, openFieldTrace, 0);
        return field != nullptr;
    })) << traceText(openFieldTrace);
    HWND combo = FindWindowExW(run, nullptr, L"ComboBox", nullptr);
    EXPECT_TRUE(isElementInWindow(&client, field, reinterpret_cast<uintptr_t>(combo)));
    const POINT point = centerOf(combo);
    EXPECT_TRUE(client.sameElement(field, client.elementAtPoint(point.x, point.y)));
    PostMessageW(run, WM_COMMAND, IDCANCEL, 0);
}

TEST(WindowTreeClient, ActivationBringsAMinimisedNotepadToTheFront) {
    EXPECT_EQ(activateApplicationWindow(u"lotse-not-running.exe"), Activation::notRunning);

    ExternalProgram notepad(L"notepad.exe");
    ASSERT_TRUE(notepad.started());
    HWND main = notepad.waitForWindow(u"Untitled - Notepad");
    ASSERT_TRUE(main);
    WindowTreeClient client;
    HWND edit = FindWindowExW(main, nullptr, L"Edit", nullptr);
    ASSERT_TRUE(edit);
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed text"),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    ElementTrace editTrace = buildTrace(&client, client.element(edit));
    ASSERT_EQ(editTrace.elements.size(), 3u) << traceText(editTrace);
    expectLevel(editTrace, 0, u"", u"Edit", String::format(u"%d", GetDlgCtrlID(edit)),
                u"notepad.exe");
    expectLevel(editTrace, 1, u"Untitled - Notepad", u"Notepad", u"", u"notepad.exe");

    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(main) != FALSE; }));
    EXPECT_EQ(activateApplicationWindow(u"notepad.exe"), Activation::broughtFront);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(main) && GetForegroundWindow() == main; }, 5000));
    EXPECT_TRUE(IsWindowVisible(main));
}

namespace {

// Sees the vendor overlay's extended style while the hit test runs.
class StyleWatchingClient : public WindowTreeClient {
  public:
    HWND watched = nullptr;
    LONG_PTR styleSeen = 0;
    bool failing = false;

    AutomationElementPtr elementAtPoint(int x, int y) override {
        styleSeen = GetWindowLongPtrW(watched, GWL_EXSTYLE);
        if (failing)
            return nullptr;
        return WindowTreeClient::elementAtPoint(x, y);
    }
};

HWND overlayOver(const wchar_t* className, const wchar_t* title, DWORD exStyle, POINT point) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(exStyle | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, className, title,
                                  WS_POPUP, point.x - 60, point.y - 40, 120, 80, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window && (exStyle & WS_EX_LAYERED))
        SetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    pumpMessages();
    return window;
}

} // namespace

TEST(WindowTreeClient, ElementUnderCursorSeesThroughOverlays) {
    EXPECT_FALSE(elementUnderCursor(nullptr));

    HWND dialog = openDialog(IDD_CREATE_TICKET, 200, 200);
    WindowCloser closeDialog{dialog};
    ASSERT_TRUE(dialog);
    // The question field lies under the dialog's group box in z-order.
    HWND question = GetDlgItem(dialog, IDC_CREATE_QUESTION);
    const POINT point = centerOf(question);
    ASSERT_TRUE(SetCursorPos(point.x, point.y));

    StyleWatchingClient client;
    AutomationElementPtr hit = elementUnderCursor(&client);
    ASSERT_TRUE(hit);
    EXPECT_EQ(client.nativeWindow(hit), reinterpret_cast<uintptr_t>(question));

    HWND vendor = overlayOver(L"CEF-OSC-WIDGET", L"NVIDIA GeForce Overlay", 0, point);
    WindowCloser closeVendor{vendor};
    HWND frame = overlayOver(L"LotseTestFrame", L"", WS_EX_LAYERED | WS_EX_TRANSPARENT, point);
    WindowCloser closeFrame{frame};
    ASSERT_TRUE(vendor && frame);
    client.watched = vendor;
    const LONG_PTR vendorStyle = GetWindowLongPtrW(vendor, GWL_EXSTYLE);

    // A plain hit test passes the click-through frame by and stops at the vendor
    // overlay; under the cursor, the overlay is passed by as well.
    AutomationElementPtr plain = client.elementAtPoint(point.x, point.y);
    EXPECT_EQ(client.nativeWindow(plain), reinterpret_cast<uintptr_t>(vendor));
    hit = elementUnderCursor(&client);
    EXPECT_EQ(client.styleSeen, vendorStyle | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    EXPECT_EQ(client.nativeWindow(hit), reinterpret_cast<uintptr_t>(question));
    EXPECT_EQ(GetWindowLongPtrW(vendor, GWL_EXSTYLE), vendorStyle);

    client.failing = true;
    EXPECT_FALSE(elementUnderCursor(&client));
    EXPECT_EQ(GetWindowLongPtrW(vendor, GWL_EXSTYLE), vendorStyle);
}
