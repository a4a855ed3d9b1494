#include "input/InputMonitors.h"

#include <utility>

namespace {

// Window messages the hooks pass on.
constexpr uint32_t leftButtonDown = 0x201;
constexpr uint32_t leftButtonDoubleClick = 0x203;
constexpr uint32_t rightButtonDown = 0x204;
constexpr uint32_t middleButtonDown = 0x207;
constexpr uint32_t keyDown = 0x100;

constexpr uint32_t returnKey = 0x0D;
constexpr uint32_t backspaceKey = 0x08;

bool isShiftOrControl(uint32_t key) {
    return key == 0x10 || key == 0x11 || (key >= 0xA0 && key <= 0xA3);
}

} // namespace

ClickMonitor& ClickMonitor::instance() {
    static ClickMonitor monitor;
    return monitor;
}

void ClickMonitor::note(uint32_t message) {
    if (state != Action::none)
        return;
    switch (message) {
    case leftButtonDown:
        state = Action::leftClick;
        break;
    case leftButtonDoubleClick:
        state = Action::leftDoubleClick;
        break;
    case middleButtonDown:
        state = Action::middleClick;
        break;
    case rightButtonDown:
        state = Action::rightClick;
        break;
    }
}

ActionKind ClickMonitor::takeClick() {
    const ActionKind taken = state;
    state = Action::none;
    return taken;
}

KeyMonitor& KeyMonitor::instance() {
    static KeyMonitor monitor;
    return monitor;
}

bool KeyMonitor::note(uint32_t message, uint32_t virtualKey) {
    if (message != keyDown || isShiftOrControl(virtualKey))
        return false;
    if (virtualKey == returnKey) {
        if (state == Action::none)
            state = Action::enterKey;
    } else if (virtualKey == backspaceKey) {
        if (!text.empty())
            text = text.substr(0, text.length() - 1);
    } else {
        text += static_cast<char16_t>(virtualKey);
    }
    return true;
}

KeyTake KeyMonitor::takeKeys() {
    KeyTake taken;
    if (state == Action::none && text.empty())
        return taken;
    taken.state = state;
    taken.text = std::move(text);
    reset();
    return taken;
}

void KeyMonitor::reset() {
    state = Action::none;
    text.clear();
}
