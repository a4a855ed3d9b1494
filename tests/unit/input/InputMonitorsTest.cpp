#include "input/InputMonitors.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t keyDown = 0x100, sysKeyDown = 0x104, keyUp = 0x101;

void type(KeyMonitor& keys, std::initializer_list<uint32_t> virtualKeys) {
    for (uint32_t key : virtualKeys)
        keys.note(keyDown, key);
}

} // namespace

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
