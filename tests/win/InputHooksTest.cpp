#include "input/InputMonitors.h"
#include "input/win/InputHooks.h"
#include "tests/StringPrinter.h"
#include "tests/win/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using namespace WindowTestSupport;

namespace {

// Runs the X server's xdotool and dispatches messages until it ends: the hooks
// are only called while this thread retrieves messages. Wine starts a Unix
// program directly but gives no process handle for it, so a shell leaves its
// exit code in a file of the prefix's drive C when it is done.
bool xdotool(const std::wstring& arguments) {
    const wchar_t* done = L"C:\\lotse-xdotool.done";
    DeleteFileW(done);
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
    const DWORD end = GetTickCount() + 10000;
    while (GetFileAttributesW(done) == INVALID_FILE_ATTRIBUTES &&
           static_cast<int>(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    int code = -1;
    std::ifstream("C:\\lotse-xdotool.done") >> code;
    DeleteFileW(done);
    // Events still on their way to the hooks.
    for (int i = 0; i < 20; ++i) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
    return code == 0;
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

} // namespace

TEST(InputHooks, RealClicksAndKeysFillTheMonitors) {
    Target target;
    ClickMonitor& clicks = ClickMonitor::instance();
    KeyMonitor& keys = KeyMonitor::instance();
    clicks.takeClick();
    ASSERT_TRUE(installInputHooks());
    ASSERT_NE(clicks.hook, nullptr);
    ASSERT_NE(keys.hook, nullptr);

    // Installing again replaces the hooks: the first handle is gone.
    void* firstMouse = clicks.hook;
    ASSERT_TRUE(installInputHooks());
    EXPECT_FALSE(UnhookWindowsHookEx(static_cast<HHOOK>(firstMouse)));

    ASSERT_TRUE(xdotool(L"mousemove 200 150 click 1"));
    EXPECT_EQ(clicks.takeClick(), Action::leftClick);
    ASSERT_TRUE(xdotool(L"click 3"));
    EXPECT_EQ(clicks.takeClick(), Action::rightClick);

    ASSERT_TRUE(xdotool(L"key h a l l o"));
    EXPECT_EQ(keys.text, String(u"HALLO"));
    KeyTake taken = keys.takeKeys();
    EXPECT_EQ(taken.state, Action::none);
    EXPECT_EQ(taken.text, String(u"HALLO"));
    ASSERT_TRUE(xdotool(L"key a b BackSpace c"));
    EXPECT_EQ(keys.text, String(u"AC"));
    ASSERT_TRUE(xdotool(L"key Return"));
    EXPECT_EQ(keys.state, Action::enterKey);

    // Removing and installing again keeps the pending click, not the keys.
    ASSERT_TRUE(xdotool(L"click 1"));
    removeInputHooks();
    EXPECT_EQ(clicks.hook, nullptr);
    EXPECT_EQ(keys.hook, nullptr);
    EXPECT_EQ(keys.state, Action::none);
    EXPECT_TRUE(keys.text.empty());
    ASSERT_TRUE(installInputHooks());
    EXPECT_EQ(clicks.state, Action::leftClick);
    EXPECT_EQ(keys.state, Action::none);
    removeInputHooks();

    // Without hooks nothing is noted. (The pick's mouse hook alone is clicked
    // for real by tests/e2e/pick-and-frame.test.sh.)
    clicks.takeClick();
    ASSERT_TRUE(xdotool(L"click 2 key x"));
    EXPECT_EQ(clicks.state, Action::none);
    EXPECT_TRUE(keys.text.empty());
}
