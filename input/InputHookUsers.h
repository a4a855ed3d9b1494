#pragma once

#include "input/InputMonitors.h"

#include <map>

// The system's two low-level hooks, as InputHookUsers drives them. The Windows
// layer (input/win/InputHooks) installs them; tests count the calls.
class InputHookSystem {
  public:
    virtual ~InputHookSystem() = default;
    // True when the hook is installed afterwards.
    virtual bool installMouseHook() = 0;
    virtual void removeMouseHook() = 0;
    virtual bool installKeyboardHook() = 0;
    virtual void removeKeyboardHook() = 0;
};

// Who uses the low-level hooks. The on-screen pick (the mouse hook only), the
// recorder and the navigators (both hooks) use one pair between them, and may
// do so at the same time (a pick while a solution plays): a hook is installed
// when its first user comes and removed when its last user goes, so one
// feature's end never takes a hook from another. A user is any address the
// feature owns; acquiring again changes nothing but the keys (below).
//
// As the features expect of the hooks: a user that takes the keyboard, or lets
// it go, starts KeyMonitor afresh; a pending click stays whatever happens.
class InputHookUsers {
  public:
    InputHookUsers(InputHookSystem& system, KeyMonitor& keys);
    InputHookUsers(const InputHookUsers&) = delete;
    InputHookUsers& operator=(const InputHookUsers&) = delete;

    // The mouse hook, and the keyboard hook too when `keyboard`; false when a
    // hook the user needs could not be installed (a later acquire tries again).
    bool acquire(const void* user, bool keyboard);
    // The user is done; hooks nobody else uses are removed.
    void release(const void* user);
    // Every user is done (the program ends).
    void releaseAll();

    bool inUse() const { return !users.empty(); }
    bool mouseInstalled() const { return mouse; }
    bool keyboardInstalled() const { return keyboard; }

  private:
    // Installs what the users need, removes what they do not.
    bool update();

    InputHookSystem& system;
    KeyMonitor& keys;
    std::map<const void*, bool> users; // user -> wants the keyboard hook
    bool mouse = false;
    bool keyboard = false;
};
