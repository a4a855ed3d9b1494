#include "automation/ElementDescription.h"
#include "automation/ElementSearch.h"
#include "automation/Mnemonic.h"
#include "automation/win/DesktopWindowsApi.h"
#include "automation/win/ElementUnderCursor.h"
#include "automation/win/WindowTreeClient.h"
#include "resources/resource.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

// The window-tree client over real windows of this process and of Wine's Task
// Manager and Notepad. Trace building and the search are tested natively.

using namespace WindowTestSupport;

namespace {

// The first descendant of `parent` with this class whose shown text is `text`.
HWND findControl(HWND parent, const wchar_t* className, const String& text) {
    for (HWND window : childWindows(parent)) {
        wchar_t name[257] = {};
        GetClassNameW(window, name, 257);
        if (!lstrcmpW(name, className) && withoutMnemonic(windowText(window)) == text)
            return window;
    }
    return nullptr;
}

ElementRect windowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return ElementRect{r.left, r.top, r.right, r.bottom};
}

POINT centerOf(HWND window) {
    const ElementRect r = windowRect(window);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// One level of a trace as "name|class|automation id|module".
String level(const ElementTrace& trace, size_t index) {
    if (index >= trace.elements.size())
        return u"<no level>";
    const ElementDescriptor& d = trace.elements[index];
    return d.name.value_or(String(u"<none>")) + String(u"|") + d.className + String(u"|") +
           d.automationId + String(u"|") + d.moduleName;
}

// A program of the Wine prefix started for a test; ended with the object, so a
// failing test leaves nothing running.
class ExternalProgram {
  public:
    explicit ExternalProgram(const wchar_t* exe) {
        wchar_t line[MAX_PATH] = {};
        lstrcpynW(line, exe, MAX_PATH); // found in the system folder
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        if (CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &process))
            CloseHandle(process.hThread);
    }
    ~ExternalProgram() {
        if (!process.hProcess)
            return;
        TerminateProcess(process.hProcess, 0);
        WaitForSingleObject(process.hProcess, 10000);
        CloseHandle(process.hProcess);
    }
    ExternalProgram(const ExternalProgram&) = delete;
    ExternalProgram& operator=(const ExternalProgram&) = delete;

    // A visible top-level window of this process with that title; null when none
    // appears in time.
    HWND waitForWindow(const String& title) const {
        HWND found = nullptr;
        waitFor([&] {
            for (HWND window : topLevelWindows()) {
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == process.dwProcessId && IsWindowVisible(window) &&
                    windowText(window) == title)
                    found = window;
            }
            return found != nullptr;
        });
        return found;
    }

  private:
    PROCESS_INFORMATION process{};
};

INT_PTR CALLBACK plainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// One of the program's dialogs, shown modeless at a position of the screen.
HWND openDialog(int resourceId, int x, int y, HWND owner = nullptr) {
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), owner,
                                     plainDialogProc, 0);
    if (dialog) {
        SetWindowPos(dialog, HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        pumpMessages();
    }
    return dialog;
}

// Closes a window of this thread when the test ends, however it ends.
using WindowCloser = std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)>;

} // namespace

TEST(WindowTreeClient, TracesADialogButtonAndFindsItAgainAfterTheDialogWasReopened) {
    WindowTreeClient client;
    AutomationElementPtr root = client.root();
    EXPECT_FALSE(client.parent(root));

    HWND first = openDialog(IDD_FEEDBACK, 40, 50);
    WindowCloser closeFirst{first, DestroyWindow};
    ASSERT_TRUE(first);
    HWND yes = GetDlgItem(first, IDC_FEEDBACK_YES);
    AutomationElementPtr button = client.element(yes);
    const ElementRect firstRect = windowRect(yes);
    ElementTrace trace = buildTrace(&client, button);
    ASSERT_EQ(trace.elements.size(), 3u);
    EXPECT_EQ(level(trace, 0), String(u"Ja|Button|1046|lotse_wintests.exe"));
    EXPECT_EQ(level(trace, 1), String(u"War die Lösung hilfreich?|#32770||lotse_wintests.exe"));
    EXPECT_EQ(trace.elements[2].className, String(u"#32769"));
    EXPECT_EQ(client.boundingRect(button), std::optional<ElementRect>(firstRect));
    EXPECT_EQ(runtimeIdText(&client, button),
              String::format(u"2a%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(yes))));
    EXPECT_EQ(client.processId(button), std::optional<uint32_t>(GetCurrentProcessId()));
    EXPECT_TRUE(isElementInWindow(&client, button, reinterpret_cast<uintptr_t>(first)));

    // Once the dialog is gone, its elements answer nothing.
    DestroyWindow(first);
    EXPECT_FALSE(client.name(button) || client.className(button) || client.automationId(button) ||
                 client.processId(button) || client.nativeWindow(button) ||
                 client.boundingRect(button) || !client.runtimeId(button).empty() ||
                 client.parent(button) || client.firstChild(button) || client.nextSibling(button) ||
                 client.sameElement(button, button) ||
                 !client.findChildren(button, ElementCondition{}).empty());

    // Reopened elsewhere and owned by another window: hidden, it is not in the
    // tree; shown, the trace finds it, an owned window hanging under the root
    // all the same.
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    WindowCloser closeOwner{owner, DestroyWindow};
    HWND second = openDialog(IDD_FEEDBACK, 420, 310, owner);
    WindowCloser closeSecond{second, DestroyWindow};
    ASSERT_TRUE(second);
    ShowWindow(second, SW_HIDE);
    EXPECT_FALSE(findElement(&client, trace, 0));
    ShowWindow(second, SW_SHOWNOACTIVATE);
    pumpMessages();
    HWND newYes = GetDlgItem(second, IDC_FEEDBACK_YES);
    AutomationElementPtr found = findElement(&client, trace, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(client.nativeWindow(found), reinterpret_cast<uintptr_t>(newYes));
    EXPECT_EQ(client.boundingRect(found), std::optional<ElementRect>(windowRect(newYes)));
    EXPECT_NE(windowRect(newYes), firstRect);
    EXPECT_EQ(trace.elements[0].matchNote, String(u"AID and Name"));
    EXPECT_EQ(trace.elements[1].matchNote, String(u"Class and Name"));
    EXPECT_TRUE(client.sameElement(parentElement(&client, client.element(second)), root));
}

// Traced and found again in another process; in a new process, elsewhere on
// the screen, tests/e2e/share-solution.test.sh plays such recorded steps.
TEST(WindowTreeClient, TracesTaskManagerControlsInAnotherProcess) {
    WindowTreeClient client;
    ExternalProgram taskManager(L"taskmgr.exe");
    HWND main = taskManager.waitForWindow(u"Task Manager");
    ASSERT_TRUE(main);
    HWND newTask = nullptr;
    ASSERT_TRUE(waitFor([&] {
        newTask = findControl(main, L"Button", u"New Task...");
        return newTask && IsWindowVisible(newTask);
    }));
    PostMessageW(newTask, BM_CLICK, 0, 0);
    HWND run = taskManager.waitForWindow(u"Create New Task");
    ASSERT_TRUE(run);
    HWND combo = nullptr;
    ASSERT_TRUE(waitFor([&] {
        combo = FindWindowExW(run, nullptr, L"ComboBox", nullptr);
        return combo && IsWindowVisible(combo);
    }));
    SendMessageTimeoutW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"typed text"),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    // What a click into the field hits: the combo box's edit, named by its
    // label, not by what is typed into it.
    const POINT point = centerOf(combo);
    ElementTrace openFieldTrace = buildTrace(&client, client.elementAtPoint(point.x, point.y));
    EXPECT_EQ(level(openFieldTrace, 0), String(u"|Edit|1001|taskmgr.exe"));
    EXPECT_EQ(level(openFieldTrace, 1),
              String::format(u"Open:|ComboBox|%d|taskmgr.exe", GetDlgCtrlID(combo)));
    EXPECT_EQ(level(openFieldTrace, 2), String(u"Create New Task|#32770||taskmgr.exe"));
    EXPECT_TRUE(client.sameElement(findElement(&client, openFieldTrace, 0),
                                   client.elementAtPoint(point.x, point.y)));
    PostMessageW(run, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(waitFor([&] { return !IsWindow(run); }));
}

TEST(WindowTreeClient, ActivationBringsAMinimisedNotepadToTheFront) {
    EXPECT_EQ(activateApplicationWindow(u"lotse-not-running.exe"), Activation::notRunning);
    ExternalProgram notepad(L"notepad.exe");
    HWND main = notepad.waitForWindow(u"Untitled - Notepad");
    ASSERT_TRUE(main);
    ShowWindow(main, SW_MINIMIZE);
    ASSERT_TRUE(waitFor([&] { return IsIconic(main) != FALSE; }));
    EXPECT_EQ(activateApplicationWindow(u"notepad.exe"), Activation::broughtFront);
    EXPECT_TRUE(waitFor([&] { return !IsIconic(main) && GetForegroundWindow() == main; }));
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
        return failing ? nullptr : WindowTreeClient::elementAtPoint(x, y);
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
    if (exStyle & WS_EX_LAYERED)
        SetLayeredWindowAttributes(window, 0, 128, LWA_ALPHA);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    pumpMessages();
    return window;
}

} // namespace

// A plain hit test passes our click-through frame by and stops at a vendor
// overlay; the element under the cursor passes the overlay by as well and
// leaves its style as it was.
TEST(WindowTreeClient, ElementUnderCursorSeesThroughOverlays) {
    EXPECT_FALSE(elementUnderCursor(nullptr));
    HWND dialog = openDialog(IDD_CREATE_TICKET, 200, 200);
    WindowCloser closeDialog{dialog, DestroyWindow};
    ASSERT_TRUE(dialog);
    // The question field lies under the dialog's group box in z-order.
    HWND question = GetDlgItem(dialog, IDC_CREATE_QUESTION);
    const POINT point = centerOf(question);
    ASSERT_TRUE(SetCursorPos(point.x, point.y));
    StyleWatchingClient client;
    EXPECT_EQ(client.nativeWindow(elementUnderCursor(&client)),
              reinterpret_cast<uintptr_t>(question));

    HWND vendor = overlayOver(L"CEF-OSC-WIDGET", L"NVIDIA GeForce Overlay", 0, point);
    WindowCloser closeVendor{vendor, DestroyWindow};
    HWND frame = overlayOver(L"LotseTestFrame", L"", WS_EX_LAYERED | WS_EX_TRANSPARENT, point);
    WindowCloser closeFrame{frame, DestroyWindow};
    client.watched = vendor;
    const LONG_PTR vendorStyle = GetWindowLongPtrW(vendor, GWL_EXSTYLE);
    EXPECT_EQ(client.nativeWindow(client.elementAtPoint(point.x, point.y)),
              reinterpret_cast<uintptr_t>(vendor));
    EXPECT_EQ(client.nativeWindow(elementUnderCursor(&client)),
              reinterpret_cast<uintptr_t>(question));
    EXPECT_EQ(client.styleSeen, vendorStyle | WS_EX_LAYERED | WS_EX_TRANSPARENT);
    EXPECT_EQ(GetWindowLongPtrW(vendor, GWL_EXSTYLE), vendorStyle);
    client.failing = true;
    EXPECT_FALSE(elementUnderCursor(&client));
    EXPECT_EQ(GetWindowLongPtrW(vendor, GWL_EXSTYLE), vendorStyle);
}
