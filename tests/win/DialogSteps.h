#pragma once

#include "base/String.h"
#include "tests/win/WindowTestSupport.h"

#include <windows.h>

#include <functional>
#include <vector>

// Drives modal dialogs from a thread timer (which fires inside the dialog's own
// message loop): each step waits until its condition holds, then acts. When a
// step does not become ready within the time limit, `giveUp` runs on every
// later tick (it should close whatever is open) so that a failing test ends
// instead of hanging in a modal loop.
class DialogSteps {
  public:
    struct Step {
        std::function<bool()> ready; // null: ready at once
        std::function<void()> run;
    };

    DialogSteps(std::vector<Step> list, std::function<void()> giveUpAction, int limitMs = 20000)
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
    bool timedOut() const { return expired; }

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

namespace DialogStepsSupport {

// The first visible top-level window of this thread with the given title.
inline HWND threadWindowTitled(const String& title) {
    struct Search {
        String title;
        HWND found = nullptr;
    } search{title, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (IsWindowVisible(window) && WindowTestSupport::windowText(window) == s->title) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
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

} // namespace DialogStepsSupport
