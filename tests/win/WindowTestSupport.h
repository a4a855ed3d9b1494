#pragma once

#include "base/String.h"
#include "base/win/WideText.h"

#include <windows.h>

#include <functional>
#include <vector>

// Small helpers of the Windows tests that drive real dialogs.
namespace WindowTestSupport {

inline String windowText(HWND window) {
    wchar_t text[1024] = {};
    int n = GetWindowTextW(window, text, 1023);
    return fromWide(text, n);
}

inline String itemText(HWND dialog, int id) {
    return windowText(GetDlgItem(dialog, id));
}

// Top-level windows of this thread with the given title.
inline int threadWindowsTitled(const String& title) {
    struct Search {
        String title;
        int count = 0;
    } search{title};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (windowText(window) == s->title)
                ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// Runs the given steps one after the other from a thread timer, that is from
// inside whatever message loop runs (a modal dialog's), 50 ms apart.
class TimedSteps {
  public:
    explicit TimedSteps(std::vector<std::function<void()>> list) : steps(std::move(list)) {
        current = this;
        timer = SetTimer(nullptr, 0, 50, tick);
    }
    ~TimedSteps() {
        KillTimer(nullptr, timer);
        current = nullptr;
    }
    bool finished() const { return next >= steps.size(); }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        if (!current || current->finished())
            return;
        current->steps[current->next++]();
    }
    static inline TimedSteps* current = nullptr;
    std::vector<std::function<void()>> steps;
    size_t next = 0;
    UINT_PTR timer = 0;
};

// Dispatches this thread's pending messages.
inline void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace WindowTestSupport
