#include "input/win/InputHooks.h"

#include "base/DebugOutput.h"
#include "input/InputMonitors.h"

namespace {

LRESULT CALLBACK mouseHookProc(int code, WPARAM message, LPARAM event) {
    if (code == HC_ACTION)
        ClickMonitor::instance().note(static_cast<uint32_t>(message));
    return CallNextHookEx(nullptr, code, message, event);
}

LRESULT CALLBACK keyboardHookProc(int code, WPARAM message, LPARAM event) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(event);
        if (std::optional<String> typed =
                KeyMonitor::instance().note(static_cast<uint32_t>(message), key->vkCode))
            debugOutput(*typed + u"\n");
    }
    return CallNextHookEx(nullptr, code, message, event);
}

// The thread that holds the hooks. It is made on first use and waits for
// messages only: the hook calls, and the requests to install and remove, which
// the program's thread sends to its message-only window.
class HookThread : public InputHookSystem {
  public:
    ~HookThread() override {
        if (!thread)
            return;
        PostThreadMessageW(threadId, WM_QUIT, 0, 0);
        WaitForSingleObject(thread, 2000);
        CloseHandle(thread);
    }

    bool installMouseHook() override { return request(installMouse); }
    void removeMouseHook() override { request(removeMouse); }
    bool installKeyboardHook() override { return request(installKeyboard); }
    void removeKeyboardHook() override { request(removeKeyboard); }

  private:
    enum Request : WPARAM { installMouse, removeMouse, installKeyboard, removeKeyboard };
    static constexpr UINT requestMessage = WM_APP;
    static constexpr wchar_t windowClass[] = L"LotseInputHooks";

    bool request(Request what) {
        if (!start())
            return false;
        DWORD_PTR installed = 0;
        // The thread answers at once; the bound only guards a thread that died.
        if (!SendMessageTimeoutW(window, requestMessage, what, 0, SMTO_NORMAL, 5000, &installed))
            return false;
        return installed != 0;
    }

    bool start() {
        if (thread)
            return window != nullptr;
        HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        if (!ready)
            return false;
        readyEvent = ready;
        thread = CreateThread(nullptr, 0, run, this, 0, &threadId);
        if (thread)
            WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
        return window != nullptr;
    }

    static DWORD WINAPI run(void* parameter) {
        auto* self = static_cast<HookThread*>(parameter);
        WNDCLASSW type{};
        type.lpfnWndProc = windowProc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = windowClass;
        RegisterClassW(&type);
        self->window = CreateWindowExW(0, windowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       type.hInstance, self);
        SetEvent(self->readyEvent);
        if (!self->window)
            return 1;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        // The system would remove them with the thread; said here all the same.
        self->unhook(self->mouse);
        self->unhook(self->keyboard);
        DestroyWindow(self->window);
        self->window = nullptr;
        return 0;
    }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE)
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<HookThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (message != requestMessage || !self)
            return DefWindowProcW(window, message, wParam, lParam);
        switch (static_cast<Request>(wParam)) {
        case installMouse:
            return self->hook(self->mouse, WH_MOUSE_LL, mouseHookProc);
        case removeMouse:
            self->unhook(self->mouse);
            return 0;
        case installKeyboard:
            return self->hook(self->keyboard, WH_KEYBOARD_LL, keyboardHookProc);
        case removeKeyboard:
            self->unhook(self->keyboard);
            return 0;
        }
        return 0;
    }

    static bool hook(HHOOK& handle, int kind, HOOKPROC procedure) {
        if (!handle)
            handle = SetWindowsHookExW(kind, procedure, nullptr, 0);
        return handle != nullptr;
    }

    static void unhook(HHOOK& handle) {
        if (handle)
            UnhookWindowsHookEx(handle);
        handle = nullptr;
    }

    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE readyEvent = nullptr;
    HWND window = nullptr; // the thread's message-only window
    // Touched on the hooks' thread only.
    HHOOK mouse = nullptr;
    HHOOK keyboard = nullptr;
};

} // namespace

InputHookUsers& inputHookUsers() {
    // The monitors outlive the thread whose procedures write them.
    ClickMonitor::instance();
    KeyMonitor::instance();
    static HookThread thread;
    static InputHookUsers users(thread, KeyMonitor::instance());
    return users;
}

bool installInputHooks(const void* user) {
    return inputHookUsers().acquire(user, true);
}

bool installMouseHook(const void* user) {
    return inputHookUsers().acquire(user, false);
}

void removeInputHooks(const void* user) {
    inputHookUsers().release(user);
}

void removeAllInputHooks() {
    inputHookUsers().releaseAll();
}
