#include "input/InputHookUsers.h"
#include "input/InputMonitors.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t keyDown = 0x100, sysKeyDown = 0x104, keyUp = 0x101;

void type(KeyMonitor& keys, std::initializer_list<uint32_t> virtualKeys) {
    for (uint32_t key : virtualKeys)
        keys.note(keyDown, key);
}

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
    h.keys.note(keyDown, 'A');
    h.clicks.note(0x201);
    h.users.acquire(&h.pick, false);
    h.users.release(&h.pick);
    EXPECT_EQ(h.keys.text(), String(u"A"));

    h.users.release(&h.navigator);
    EXPECT_TRUE(h.keys.text().empty());
    h.keys.note(keyDown, 0x0D);
    h.users.acquire(&h.recorder, true);
    EXPECT_EQ(h.keys.state(), Action::none);
    EXPECT_EQ(h.clicks.state.load(), Action::leftClick);
}

TEST(ClickMonitor, TheFirstClickAfterATakeWins) {
    ClickMonitor clicks;
    EXPECT_EQ(clicks.takeClick(), Action::none);
    clicks.note(0x201); // left down
    clicks.note(0x202); // its release
    clicks.note(0x204); // a right click before the take is dropped
    EXPECT_EQ(clicks.state.load(), Action::leftClick);
    EXPECT_EQ(clicks.takeClick(), Action::leftClick);
    EXPECT_EQ(clicks.takeClick(), Action::none);

    const std::pair<uint32_t, ActionKind> kinds[] = {{0x203, Action::leftDoubleClick},
                                                     {0x207, Action::middleClick},
                                                     {0x204, Action::rightClick}};
    for (auto [message, kind] : kinds) {
        clicks.note(0x200); // moves and wheels change nothing
        clicks.note(0x20A);
        clicks.note(message);
        EXPECT_EQ(clicks.takeClick(), kind);
    }
}

TEST(KeyMonitor, TypedKeysReturnAndTakes) {
    KeyMonitor keys;
    type(keys, {'H', 'A', 'L', 'L', 'O'});
    EXPECT_EQ(keys.text(), String(u"HALLO"));
    keys.reset();
    type(keys, {0x08, 'A', 'B', 0x08, 'C'}); // Backspace on empty text does nothing
    EXPECT_EQ(keys.text(), String(u"AC"));

    // Shift and Control alone add nothing, Alt combinations arrive as system keys,
    // key releases are not looked at.
    for (uint32_t modifier : {0x10u, 0x11u, 0xA0u, 0xA1u, 0xA2u, 0xA3u})
        EXPECT_FALSE(keys.note(keyDown, modifier));
    EXPECT_FALSE(keys.note(sysKeyDown, 'F'));
    EXPECT_FALSE(keys.note(keyUp, 'X'));
    EXPECT_EQ(keys.text(), String(u"AC"));

    // take: state and text, then both reset.
    KeyTake taken = keys.takeKeys();
    EXPECT_EQ(taken.state, Action::none);
    EXPECT_EQ(taken.text, String(u"AC"));
    EXPECT_TRUE(keys.text().empty());
    taken = keys.takeKeys();
    EXPECT_EQ(taken.state, Action::none);
    EXPECT_TRUE(taken.text.empty());

    // Return adds no character; a second one while pending changes nothing.
    EXPECT_TRUE(keys.note(keyDown, 0x0D));
    keys.note(keyDown, 0x0D);
    type(keys, {' ', '1'});
    taken = keys.takeKeys();
    EXPECT_EQ(taken.state, Action::enterKey);
    EXPECT_EQ(taken.text, String(u" 1"));
    EXPECT_EQ(keys.state(), Action::none);
}
