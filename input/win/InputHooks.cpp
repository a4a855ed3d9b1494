#include "input/win/InputHooks.h"

#include "base/DebugOutput.h"
#include "input/InputMonitors.h"

namespace {

void unhook(void*& hook) {
    if (hook)
        UnhookWindowsHookEx(static_cast<HHOOK>(hook));
    hook = nullptr;
}

bool hook(void*& handle, int kind, HOOKPROC procedure) {
    unhook(handle);
    handle = SetWindowsHookExW(kind, procedure, nullptr, 0);
    return handle != nullptr;
}

} // namespace

LRESULT CALLBACK mouseHookProc(int code, WPARAM message, LPARAM event) {
    if (code == HC_ACTION)
        ClickMonitor::instance().note(static_cast<uint32_t>(message));
    return CallNextHookEx(nullptr, code, message, event);
}

LRESULT CALLBACK keyboardHookProc(int code, WPARAM message, LPARAM event) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(event);
        KeyMonitor& keys = KeyMonitor::instance();
        if (keys.note(static_cast<uint32_t>(message), key->vkCode))
            debugOutput(keys.text + u"\n");
    }
    return CallNextHookEx(nullptr, code, message, event);
}

bool installInputHooks() {
    const bool mouse = installMouseHook();
    KeyMonitor& keys = KeyMonitor::instance();
    keys.reset();
    return hook(keys.hook, WH_KEYBOARD_LL, keyboardHookProc) && mouse;
}

void removeInputHooks() {
    removeMouseHook();
    KeyMonitor& keys = KeyMonitor::instance();
    keys.reset();
    unhook(keys.hook);
}

bool installMouseHook() {
    return hook(ClickMonitor::instance().hook, WH_MOUSE_LL, mouseHookProc);
}

void removeMouseHook() {
    unhook(ClickMonitor::instance().hook);
}
