#pragma once

#include "base/String.h"
#include "base/Protocol.h"

#include <cstdint>

// What the low-level hooks noted and the features have not taken yet. The hook
// procedures (input/win/InputHooks) hand every event to note(); the pick,
// the recorder and the navigator poll from their timers. One thread only.

// The pending click: Action::none, or the kind of the first click since the last
// take (2 left, 3 left double, 4 middle, 5 right).
struct ClickMonitor {
    static ClickMonitor& instance();

    // A mouse message the hook saw with hook code 0; later clicks wait for a take.
    void note(uint32_t message);
    // The pending kind, which is then forgotten; Action::none when there is none.
    ActionKind takeClick();

    ActionKind state = Action::none;
    void* hook = nullptr; // the installed mouse hook, or null
};

// What takeKeys hands out.
struct KeyTake {
    ActionKind state = Action::none; // Action::enterKey when Return was pressed
    String text;
};

// The pending Return and the keys typed since the last take, one character per
// key: the virtual-key code itself, so letters are capitals whatever Shift says.
struct KeyMonitor {
    static KeyMonitor& instance();

    // A key-down event with hook code 0. True when the text was touched, which the
    // hook then writes to the debugger output.
    bool note(uint32_t message, uint32_t virtualKey);
    // State and text, after which both are reset; nothing changes while there is
    // neither.
    KeyTake takeKeys();
    void reset();

    ActionKind state = Action::none;
    String text;
    void* hook = nullptr; // the installed keyboard hook, or null
};
