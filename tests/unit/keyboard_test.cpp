#include <gtest/gtest.h>

#include <string>

#include "panels/keyboard_keys.h"
#include "panels/keyboard_labels.h"

namespace travex {
namespace {

TEST(KeyboardKeys, SecondFunctionAndAlphaApplyToOneKeyAndTheLockHolds) {
    KeyboardState state;
    press_key(state, kKeySecond);
    EXPECT_EQ(state.indicator, 1);
    EXPECT_EQ(press_key(state, 122).text, "sin\xBC ");
    EXPECT_EQ(press_key(state, 122).text, "sin ");
    // A 2ndF layer without an action still uses up the shift.
    press_key(state, kKeySecond);
    press_key(state, 168);
    EXPECT_EQ(press_key(state, 168).text, "*");
    press_key(state, kKeyAlpha);
    EXPECT_EQ(press_key(state, 122).text, "A");
    EXPECT_EQ(press_key(state, 123).text, "cos ");
    press_key(state, kKeySecond);
    press_key(state, kKeyAlpha);  // 2ndF then ALPHA locks
    EXPECT_EQ(press_key(state, 122).text, "A");
    EXPECT_EQ(press_key(state, 123).text, "B");
    EXPECT_EQ(state.indicator, 3);
    press_key(state, kKeyAlpha);  // ALPHA again ends the lock
    EXPECT_EQ(state.indicator, 0);
    EXPECT_EQ(press_key(state, 122).text, "sin ");
}

TEST(KeyboardLabels, NoLabelTouchesAnotherLabelAKeyOrTheIndicator) {
    const auto labels = keyboard_labels();
    const LabelBox indicator = {kIndicatorX, kIndicatorY, kIndicatorWidth, kIndicatorHeight};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const LabelBox& box = labels[i].box;
        const std::string name =
            std::to_string(labels[i].key_id) + " " + std::string(labels[i].text);
        EXPECT_TRUE(box.x >= 0 && box.x + box.width <= kKeyboardWidth) << name;
        EXPECT_TRUE(box.y >= 0 && box.y + box.height <= kKeyboardHeight) << name;
        EXPECT_FALSE(boxes_overlap(box, indicator)) << name;
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            EXPECT_FALSE(boxes_overlap(box, labels[j].box)) << name << " overlaps another";
        }
        for (const KeyboardKey& key : keyboard_keys()) {
            const bool own_key = key.id == labels[i].key_id && labels[i].kind == LabelKind::key;
            EXPECT_EQ(boxes_overlap(box, {key.x, key.y, key.width, key.height}), own_key)
                << name << " against key " << key.id;
        }
    }
}

}  // namespace
}  // namespace travex
