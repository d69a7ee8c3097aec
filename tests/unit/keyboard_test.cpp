
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "panels/keyboard_keys.h"
#include "panels/keyboard_labels.h"

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

LabelBox box_of(const KeyboardKey& key) {
    return {key.x, key.y, key.width, key.height};
}

std::string name(const KeyLabel& label) {
    return std::to_string(label.key_id) + " '" + std::string(label.text) + "'";
}

TEST(KeyboardLabels, NoLabelTouchesAnotherLabelAKeyOrTheIndicator) {
    const auto labels = keyboard_labels();
    const LabelBox indicator = {kIndicatorX, kIndicatorY, kIndicatorWidth, kIndicatorHeight};
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const LabelBox& box = labels[i].box;
        EXPECT_GE(box.x, 0) << name(labels[i]);
        EXPECT_GE(box.y, 0) << name(labels[i]);
        EXPECT_LE(box.x + box.width, kKeyboardWidth) << name(labels[i]);
        EXPECT_LE(box.y + box.height, kKeyboardHeight) << name(labels[i]);
        EXPECT_GE(box.width, 9) << name(labels[i]) << " has no room for a letter";
        EXPECT_GE(box.height, kLabelStripHeight) << name(labels[i]);
        EXPECT_FALSE(boxes_overlap(box, indicator)) << name(labels[i]);
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            EXPECT_FALSE(boxes_overlap(box, labels[j].box))
                << name(labels[i]) << " overlaps " << name(labels[j]);
        }
        for (const KeyboardKey& key : keyboard_keys()) {
            const bool own_key = key.id == labels[i].key_id && labels[i].kind == LabelKind::key;
            EXPECT_EQ(boxes_overlap(box, box_of(key)), own_key)
                << name(labels[i]) << " against key " << key.id;
        }
    }
}

TEST(KeyboardLabels, EveryKeyIsLabelledAndEveryShiftedActionToo) {
    std::map<int, std::map<LabelKind, std::string>> printed;
    for (const KeyLabel& label : keyboard_labels()) {
        EXPECT_FALSE(label.text.empty()) << label.key_id;
        EXPECT_TRUE(printed[label.key_id].emplace(label.kind, label.text).second)
            << label.key_id << " has two labels of one kind";
    }
    for (const KeyboardKey& key : keyboard_keys()) {
        const auto& labels = printed[key.id];
        EXPECT_TRUE(labels.contains(LabelKind::key)) << key.id << " is a blank key";
        if (key.second.kind != KeyAction::Kind::none) {
            EXPECT_TRUE(labels.contains(LabelKind::second)) << key.id << " hides its 2ndF use";
        }
        if (key.alpha.kind != KeyAction::Kind::none) {
            EXPECT_TRUE(labels.contains(LabelKind::alpha)) << key.id << " hides its ALPHA use";
        }
        // A key that types a capital letter in the ALPHA layer is printed with that letter.
        if (key.alpha.kind == KeyAction::Kind::text && key.alpha.text.size() == 1 &&
            key.alpha.text[0] >= 'A' && key.alpha.text[0] <= 'Z') {
            EXPECT_EQ(labels.at(LabelKind::alpha), std::string(key.alpha.text)) << key.id;
        }
    }
}

}  // namespace
}  // namespace travex
