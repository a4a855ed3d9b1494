#pragma once

#include "base/String.h"
#include "base/win/WideText.h"

#include <windows.h>

#include <functional>
#include <vector>

// Small helpers of the Windows tests that drive real dialogs.
namespace WindowTestSupport {

// A window's text, also of another process.
inline String windowText(HWND window) {
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, nullptr);
    return fromWide(text);
}

inline String itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

// Dispatches this thread's pending messages.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Dispatches this thread's messages, as they come, for `ms` milliseconds.
inline void pumpFor(DWORD ms) {
    for (const DWORD end = GetTickCount() + ms; static_cast<LONG>(end - GetTickCount()) > 0;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pumpMessages();
    }
}

// Dispatches this thread's messages until `condition` holds; false when it
// does not within `limitMs`.
inline bool waitFor(const std::function<bool()>& condition, DWORD limitMs = 20000) {
    for (const DWORD end = GetTickCount() + limitMs; !condition(); pumpFor(10)) {
        if (static_cast<LONG>(end - GetTickCount()) <= 0)
            return false;
    }
    return true;
}

// The windows that EnumWindows, EnumChildWindows or EnumThreadWindows lists.
inline BOOL CALLBACK collectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}
inline std::vector<HWND> topLevelWindows() {
    std::vector<HWND> list;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}
inline std::vector<HWND> childWindows(HWND parent) {
    std::vector<HWND> list;
    EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&list));
    return list;
}

// The visible top-level windows of this thread with the given title.
inline std::vector<HWND> threadWindowsTitled(const String& title) {
    std::vector<HWND> all, found;
    EnumThreadWindows(GetCurrentThreadId(), collectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND window : all) {
        if (IsWindowVisible(window) && windowText(window) == title)
            found.push_back(window);
    }
    return found;
}

inline HWND threadWindowTitled(const String& title) {
    std::vector<HWND> found = threadWindowsTitled(title);
    return found.empty() ? nullptr : found.front();
}

// Closes every open dialog of this thread with the given title as its close
// button would.
inline void closeThreadWindows(const String& title) {
    while (HWND window = threadWindowTitled(title)) {
        SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
        if (threadWindowTitled(title) == window)
            break; // it does not close; do not loop forever
    }
}

// Drives modal dialogs from a thread timer (which fires inside the dialog's own
// message loop), 50 ms apart: each step waits until its condition holds, then
// acts. When a step does not become ready within the time limit, `giveUp` runs
// on every later tick (it should close whatever is open) so that a failing test
// ends instead of hanging in a modal loop.
class DialogSteps {
  public:
    struct Step {
        std::function<bool()> ready; // null: ready at once
        std::function<void()> run;
    };

    explicit DialogSteps(std::vector<Step> list, std::function<void()> giveUpAction = {},
                         int limitMs = 20000)
        : steps(std::move(list)), giveUp(std::move(giveUpAction)),
          deadline(GetTickCount() + static_cast<DWORD>(limitMs)) {
        current = this;
        timer = SetTimer(nullptr, 0, 50, tick);
    }
    ~DialogSteps() {
        KillTimer(nullptr, timer);
        current = nullptr;
    }
    DialogSteps(const DialogSteps&) = delete;
    DialogSteps& operator=(const DialogSteps&) = delete;

    bool finished() const { return next >= steps.size(); }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogSteps* self = current;
        if (!self)
            return;
        if (self->expired || static_cast<LONG>(GetTickCount() - self->deadline) > 0) {
            self->expired = !self->finished();
            if (self->expired && self->giveUp)
                self->giveUp();
            return;
        }
        if (self->finished())
            return;
        Step& step = self->steps[self->next];
        if (step.ready && !step.ready())
            return;
        ++self->next;
        if (step.run)
            step.run();
    }

    static inline DialogSteps* current = nullptr;
    std::vector<Step> steps;
    std::function<void()> giveUp;
    DWORD deadline;
    size_t next = 0;
    bool expired = false;
    UINT_PTR timer = 0;
};

} // namespace WindowTestSupport
