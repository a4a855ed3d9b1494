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

ActionKind clickKind(uint32_t message) {
    switch (message) {
    case leftButtonDown:
        return Action::leftClick;
    case leftButtonDoubleClick:
        return Action::leftDoubleClick;
    case middleButtonDown:
        return Action::middleClick;
    case rightButtonDown:
        return Action::rightClick;
    }
    return Action::none;
}

} // namespace

ClickMonitor& ClickMonitor::instance() {
    static ClickMonitor monitor;
    return monitor;
}

void ClickMonitor::note(uint32_t message) {
    const ActionKind kind = clickKind(message);
    if (kind == Action::none)
        return;
    ActionKind nothing = Action::none;
    state.compare_exchange_strong(nothing, kind);
}

ActionKind ClickMonitor::takeClick() {
    return state.exchange(Action::none);
}

KeyMonitor& KeyMonitor::instance() {
    static KeyMonitor monitor;
    return monitor;
}

std::optional<String> KeyMonitor::note(uint32_t message, uint32_t virtualKey) {
    if (message != keyDown || isShiftOrControl(virtualKey))
        return std::nullopt;
    std::lock_guard<std::mutex> hold(lock);
    if (virtualKey == returnKey) {
        if (pending == Action::none)
            pending = Action::enterKey;
    } else if (virtualKey == backspaceKey) {
        if (!typed.empty())
            typed = typed.substr(0, typed.length() - 1);
    } else {
        typed += static_cast<char16_t>(virtualKey);
    }
    return typed;
}

KeyTake KeyMonitor::takeKeys() {
    std::lock_guard<std::mutex> hold(lock);
    KeyTake taken;
    if (pending == Action::none && typed.empty())
        return taken;
    taken.state = pending;
    taken.text = std::move(typed);
    pending = Action::none;
    typed.clear();
    return taken;
}

void KeyMonitor::reset() {
    std::lock_guard<std::mutex> hold(lock);
    pending = Action::none;
    typed.clear();
}

ActionKind KeyMonitor::state() const {
    std::lock_guard<std::mutex> hold(lock);
    return pending;
}

String KeyMonitor::text() const {
    std::lock_guard<std::mutex> hold(lock);
    return typed;
}

bool KeyMonitor::takeTextIfEqual(const String& expected) {
    std::lock_guard<std::mutex> hold(lock);
    if (typed.empty() || !(typed == expected))
        return false;
    typed.clear();
    return true;
}
