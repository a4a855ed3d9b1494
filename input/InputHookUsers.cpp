#include "input/InputHookUsers.h"

InputHookUsers::InputHookUsers(InputHookSystem& system, KeyMonitor& keys)
    : system(system), keys(keys) {}

bool InputHookUsers::acquire(const void* user, bool wantsKeyboard) {
    bool& keyboardUser = users[user];
    keyboardUser = keyboardUser || wantsKeyboard;
    if (wantsKeyboard)
        keys.reset();
    return update();
}

void InputHookUsers::release(const void* user) {
    auto found = users.find(user);
    if (found == users.end())
        return;
    if (found->second)
        keys.reset();
    users.erase(found);
    update();
}

void InputHookUsers::releaseAll() {
    users.clear();
    update();
}

bool InputHookUsers::update() {
    bool needsKeyboard = false;
    for (const auto& [user, wantsKeyboard] : users)
        needsKeyboard = needsKeyboard || wantsKeyboard;
    const bool needsMouse = !users.empty();

    if (needsMouse && !mouse)
        mouse = system.installMouseHook();
    else if (!needsMouse && mouse) {
        system.removeMouseHook();
        mouse = false;
    }
    if (needsKeyboard && !keyboard)
        keyboard = system.installKeyboardHook();
    else if (!needsKeyboard && keyboard) {
        system.removeKeyboardHook();
        keyboard = false;
    }
    return mouse == needsMouse && keyboard == needsKeyboard;
}
