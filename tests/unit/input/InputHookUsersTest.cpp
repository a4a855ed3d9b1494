#include "input/InputHookUsers.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

namespace {

// The system's hooks: what is installed, how often each was installed, and
// whether installing fails.
struct FakeHooks : InputHookSystem {
    bool mouse = false, keyboard = false;
    int mouseInstalls = 0, keyboardInstalls = 0;
    bool failing = false;

    bool installMouseHook() override {
        ++mouseInstalls;
        return mouse = !failing;
    }
    void removeMouseHook() override { mouse = false; }
    bool installKeyboardHook() override {
        ++keyboardInstalls;
        return keyboard = !failing;
    }
    void removeKeyboardHook() override { keyboard = false; }
};

struct Hooks {
    FakeHooks system;
    KeyMonitor keys;
    ClickMonitor clicks;
    InputHookUsers users{system, keys};
    const int navigator = 0, pick = 0, recorder = 0; // their addresses name the users
};

} // namespace

// A solution plays; the user starts "Software wählen" and ends it with Escape:
// the navigator keeps its mouse hook and sees the next click.
TEST(InputHookUsers, APickEndingDuringAPlaybackLeavesTheNavigatorItsHooks) {
    Hooks h;
    EXPECT_TRUE(h.users.acquire(&h.navigator, true));
    EXPECT_TRUE(h.system.mouse);
    EXPECT_TRUE(h.system.keyboard);

    EXPECT_TRUE(h.users.acquire(&h.pick, false));
    h.users.release(&h.pick);
    EXPECT_TRUE(h.system.mouse);
    EXPECT_TRUE(h.system.keyboard);
    EXPECT_EQ(h.system.mouseInstalls, 1); // installed once, never twice

    // The pick's own end in the other order: the pick keeps the mouse hook.
    h.users.release(&h.navigator);
    EXPECT_FALSE(h.system.mouse);
    h.users.acquire(&h.pick, false);
    h.users.acquire(&h.navigator, true);
    h.users.release(&h.navigator);
    EXPECT_TRUE(h.system.mouse);
    EXPECT_FALSE(h.system.keyboard);
    h.users.release(&h.pick);
    EXPECT_FALSE(h.system.mouse);
    EXPECT_FALSE(h.users.inUse());
}

TEST(InputHookUsers, UsersComeAndGoOnceEach) {
    Hooks h;
    // Acquiring again (a playback started while one runs) stacks nothing; one
    // release is enough.
    h.users.acquire(&h.recorder, true);
    h.users.acquire(&h.recorder, true);
    EXPECT_EQ(h.system.mouseInstalls, 1);
    EXPECT_EQ(h.system.keyboardInstalls, 1);
    h.users.acquire(&h.navigator, true);
    h.users.release(&h.recorder);
    h.users.release(&h.recorder); // an unknown user changes nothing
    EXPECT_TRUE(h.system.keyboard);
    h.users.release(&h.navigator);
    EXPECT_FALSE(h.system.mouse);
    EXPECT_FALSE(h.system.keyboard);

    // The program ends with users left.
    h.users.acquire(&h.pick, false);
    h.users.acquire(&h.navigator, true);
    h.users.releaseAll();
    EXPECT_FALSE(h.system.mouse);
    EXPECT_FALSE(h.system.keyboard);

    // A hook that could not be installed is tried again by the next acquire.
    h.system.failing = true;
    EXPECT_FALSE(h.users.acquire(&h.navigator, true));
    EXPECT_FALSE(h.users.mouseInstalled());
    h.system.failing = false;
    EXPECT_TRUE(h.users.acquire(&h.navigator, true));
    EXPECT_TRUE(h.system.mouse);
    EXPECT_TRUE(h.system.keyboard);
}

// Taking or leaving the keyboard starts KeyMonitor afresh, as the features
// expect; the pick's mouse hook leaves it alone, and a pending click stays.
TEST(InputHookUsers, KeysStartAfreshAPendingClickStays) {
    Hooks h;
    h.users.acquire(&h.navigator, true);
    h.keys.note(0x100, 'A');
    h.clicks.note(0x201);
    h.users.acquire(&h.pick, false);
    h.users.release(&h.pick);
    EXPECT_EQ(h.keys.text(), String(u"A"));

    h.users.release(&h.navigator);
    EXPECT_TRUE(h.keys.text().empty());
    h.keys.note(0x100, 0x0D);
    h.users.acquire(&h.recorder, true);
    EXPECT_EQ(h.keys.state(), Action::none);
    EXPECT_EQ(h.clicks.state.load(), Action::leftClick);
}
