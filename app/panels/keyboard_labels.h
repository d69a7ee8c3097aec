#pragma once
// What the keyboard panel's picture prints on and around each key: the key's own label inside
// it, the 2ndF label above it on the left and the ALPHA label above it on the right, each in a
// box of its own that touches no other label, key or the shift indicator.
#include <string>
#include <string_view>
#include <vector>

namespace travex {

struct LabelBox {
    int x, y, width, height;
};

enum class LabelKind { key, second, alpha };

struct KeyLabel {
    int key_id;
    LabelKind kind;
    std::string_view text;  // UTF-8, as printed on the calculator
    LabelBox box;
};

// Height of the label strip above a key.
inline constexpr int kLabelStripHeight = 7;

// Every printed label of the 41 keys, in key order (key, then 2ndF, then ALPHA label).
std::vector<KeyLabel> keyboard_labels();

// The labels as tab-separated lines for the artwork script: key id, kind ("key", "second",
// "alpha"), x, y, width, height, text.
std::string keyboard_label_lines();

bool boxes_overlap(const LabelBox& a, const LabelBox& b);

}  // namespace travex
