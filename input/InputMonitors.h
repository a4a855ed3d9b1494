#pragma once

#include "base/String.h"
#include "base/Protocol.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

// What the low-level hooks noted and the features have not taken yet. The hook
// procedures (input/win/InputHooks) hand every event to note() on the
// hooks' own thread; the pick, the recorder and the navigator poll from their
// timers on the program's thread. Every operation is safe between the two.

// The pending click: Action::none, or the kind of the first click since the last
// take (2 left, 3 left double, 4 middle, 5 right).
struct ClickMonitor {
    static ClickMonitor& instance();

    // A mouse message the hook saw with hook code 0; later clicks wait for a take.
    void note(uint32_t message);
    // The pending kind, which is then forgotten; Action::none when there is none.
    ActionKind takeClick();

    std::atomic<ActionKind> state{Action::none};
};

// What takeKeys hands out.
struct KeyTake {
    ActionKind state = Action::none; // Action::enterKey when Return was pressed
    String text;
};

// The pending Return and the keys typed since the last take, one character per
// key: the virtual-key code itself, so letters are capitals whatever Shift says.
class KeyMonitor {
  public:
    static KeyMonitor& instance();

    // A key-down event with hook code 0. The typed text when it was touched,
    // which the hook then writes to the debugger output.
    std::optional<String> note(uint32_t message, uint32_t virtualKey);
    // State and text, after which both are reset; nothing changes while there is
    // neither.
    KeyTake takeKeys();
    void reset();

    // Read without taking: the pending Return (or Action::none) and the text.
    ActionKind state() const;
    String text() const;
    // Empties the text when it equals `expected` (the state stays); true then.
    bool takeTextIfEqual(const String& expected);

  private:
    mutable std::mutex lock;
    ActionKind pending = Action::none;
    String typed;
};
