#include <gtest/gtest.h>

#include <set>

#include "panels/keyboard_keys.h"

namespace travex {
namespace {

TEST(KeyboardKeys, FortyOneKeysInsideThePictureWithoutOverlaps) {
    ASSERT_EQ(keyboard_keys().size(), 41u);
    std::set<int> ids;
    for (const KeyboardKey& key : keyboard_keys()) {
        EXPECT_TRUE(ids.insert(key.id).second) << key.id;
        EXPECT_TRUE((key.id >= 113 && key.id <= 133) || (key.id >= 160 && key.id <= 179));
        EXPECT_LE(key.x + key.width, kKeyboardWidth) << key.id;
        EXPECT_LE(key.y + key.height, kKeyboardHeight) << key.id;
        for (const KeyboardKey& other : keyboard_keys()) {
            if (other.id == key.id) {
                continue;
            }
            const bool apart = key.x + key.width <= other.x || other.x + other.width <= key.x ||
                               key.y + key.height <= other.y || other.y + other.height <= key.y;
            EXPECT_TRUE(apart) << key.id << " overlaps " << other.id;
        }
    }
}

TEST(KeyboardKeys, SecondFunctionAppliesToOneKey) {
    KeyboardState state;
    press_key(state, kKeySecond);
    EXPECT_TRUE(state.second);
    EXPECT_EQ(state.indicator, 1);
    EXPECT_EQ(press_key(state, 122).text, "sin\xBC ");
    EXPECT_FALSE(state.second);
    EXPECT_EQ(state.indicator, 0);
    EXPECT_EQ(press_key(state, 122).text, "sin ");
    // 2ndF twice cancels it; 2ndF then X opens VARS.
    press_key(state, kKeySecond);
    press_key(state, kKeySecond);
    EXPECT_EQ(press_key(state, 122).text, "sin ");
    press_key(state, kKeySecond);
    EXPECT_EQ(press_key(state, 133).group, 21);
    // A 2ndF layer without an action still uses up the shift.
    press_key(state, kKeySecond);
    EXPECT_TRUE(press_key(state, 168).text.empty());
    EXPECT_EQ(press_key(state, 168).text, "*");
}

TEST(KeyboardKeys, AlphaOnceAndAlphaLock) {
    KeyboardState state;
    press_key(state, kKeyAlpha);
    EXPECT_EQ(state.indicator, 2);
    EXPECT_EQ(press_key(state, 122).text, "A");
    EXPECT_EQ(press_key(state, 123).text, "cos ") << "ALPHA applies to one key";

    press_key(state, kKeySecond);
    press_key(state, kKeyAlpha);  // 2ndF then ALPHA locks
    EXPECT_EQ(state.alpha, 3);
    EXPECT_EQ(state.indicator, 3);
    EXPECT_FALSE(state.second);
    EXPECT_EQ(press_key(state, 122).text, "A");
    EXPECT_EQ(press_key(state, 123).text, "B");
    EXPECT_EQ(press_key(state, 176).text, " ");
    EXPECT_EQ(state.indicator, 3);
    press_key(state, kKeyAlpha);  // ALPHA again ends the lock
    EXPECT_EQ(state.alpha, 0);
    EXPECT_EQ(state.indicator, 0);
    EXPECT_EQ(press_key(state, 122).text, "sin ");

    // 2ndF after ALPHA drops ALPHA.
    press_key(state, kKeyAlpha);
    press_key(state, kKeySecond);
    EXPECT_EQ(state.alpha, 0);
    EXPECT_EQ(press_key(state, 122).text, "sin\xBC ");
}

}  // namespace
}  // namespace travex
