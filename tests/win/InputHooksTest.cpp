#include "input/InputMonitors.h"
#include "input/win/InputHooks.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace WindowTestSupport;

namespace {

const wchar_t* const xdotoolDone = L"C:\\lotse-xdotool.done";

// Starts the X server's xdotool. Wine starts a Unix program directly but gives
// no process handle for it, so a shell leaves its exit code in a file of the
// prefix's drive C when it is done.
bool startXdotool(const std::wstring& arguments) {
    DeleteFileW(xdotoolDone);
    std::wstring command = L"Z:\\bin\\sh -c \"cd \\\"$WINEPREFIX/drive_c\\\" && xdotool " +
                           arguments +
                           L"; echo $? > lotse-xdotool.tmp && mv lotse-xdotool.tmp "
                           L"lotse-xdotool.done\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Dispatches messages until the xdotool started last has ended; its result.
bool finishXdotool() {
    waitFor([] { return GetFileAttributesW(xdotoolDone) != INVALID_FILE_ATTRIBUTES; }, 10000);
    int code = -1;
    std::ifstream("C:\\lotse-xdotool.done") >> code;
    DeleteFileW(xdotoolDone);
    pumpFor(200); // events still on their way
    return code == 0;
}

// Runs xdotool and dispatches messages until it ends.
bool xdotool(const std::wstring& arguments) {
    return startXdotool(arguments) && finishXdotool();
}

// A window of this process under the pointer and with the keyboard focus, so
// that the X server's events reach Wine.
struct Target {
    Target() {
        window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 100,
                                 300, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window);
        SetFocus(window);
        pumpMessages();
    }
    ~Target() { DestroyWindow(window); }
    HWND window = nullptr;
};

// Another program's window, on a thread of its own: it sets `released` when
// its left button comes up.
struct OtherProgram {
    OtherProgram() {
        released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        struct Start {
            OtherProgram* self;
            HANDLE ready;
        } start{this, ready};
        thread = CreateThread(
            nullptr, 0,
            [](void* parameter) -> DWORD {
                auto* s = static_cast<Start*>(parameter);
                OtherProgram* self = s->self;
                WNDCLASSW type{};
                type.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                    if (m == WM_LBUTTONUP)
                        SetEvent(reinterpret_cast<HANDLE>(GetWindowLongPtrW(w, GWLP_USERDATA)));
                    return DefWindowProcW(w, m, wp, lp);
                };
                type.hInstance = GetModuleHandleW(nullptr);
                type.lpszClassName = L"LotseTestOtherProgram";
                RegisterClassW(&type);
                self->window =
                    CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 500, 100,
                                    300, 100, nullptr, nullptr, type.hInstance, nullptr);
                SetWindowLongPtrW(self->window, GWLP_USERDATA,
                                  reinterpret_cast<LONG_PTR>(self->released));
                SetEvent(s->ready);
                MSG message;
                while (GetMessageW(&message, nullptr, 0, 0) > 0)
                    DispatchMessageW(&message);
                DestroyWindow(self->window);
                return 0;
            },
            &start, 0, &threadId);
        WaitForSingleObject(ready, 5000);
        CloseHandle(ready);
    }
    ~OtherProgram() {
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
        CloseHandle(released);
    }
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HWND window = nullptr;
    HANDLE released = nullptr;
};

} // namespace

// Real input reaches the monitors through the hooks (what the monitors make of
// it is tested natively with InputMonitors and InputHookUsers; typed keys and
// Return reach the recorder in tests/e2e/solve-ticket.test.sh).
TEST(InputHooks, RealClicksAndKeysFillTheMonitors) {
    Target target;
    ClickMonitor& clicks = ClickMonitor::instance();
    KeyMonitor& keys = KeyMonitor::instance();
    const int navigator = 0;
    clicks.takeClick();
    ASSERT_TRUE(installInputHooks(&navigator));
    ASSERT_TRUE(xdotool(L"mousemove 200 150 click 3"));
    EXPECT_EQ(clicks.takeClick(), Action::rightClick);
    removeInputHooks(&navigator);

    // Without hooks nothing is noted.
    clicks.takeClick();
    ASSERT_TRUE(xdotool(L"click 1 key x"));
    EXPECT_EQ(clicks.state.load(), Action::none);
    EXPECT_TRUE(keys.text().empty());
}

// The program's thread waits (for the service, for another program's window)
// without taking messages. The hooks answer all the same: the click reaches
// the other program, and the monitor has it, before the wait is over. (Held by
// a hook that waited for this thread, Wine lets the click pass after 2 s
// without calling the hook; Windows drops such a hook.)
TEST(InputHooks, AnswerWhileTheProgramsThreadWaits) {
    OtherProgram other;
    ASSERT_NE(other.window, nullptr);
    ClickMonitor& clicks = ClickMonitor::instance();
    const int recorder = 0;
    clicks.takeClick();
    ASSERT_TRUE(installInputHooks(&recorder));
    ASSERT_TRUE(startXdotool(L"mousemove 650 150 click 1"));
    const DWORD waited = WaitForSingleObject(other.released, 10000);
    const ActionKind noted = clicks.state.load();
    EXPECT_TRUE(finishXdotool());
    removeInputHooks(&recorder);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(noted, Action::leftClick);
}
