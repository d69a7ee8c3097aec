#include "panels/keyboard_labels.h"

#include <algorithm>
#include <string>

#include "panels/keyboard_keys.h"

namespace travex {
namespace {

// The printed labels of each key: its own, its 2ndF one and its ALPHA one. A key whose layer
// does nothing on the panel still carries the calculator's label, so that the drawing reads as
// the calculator does.
struct PrintedKey {
    int id;
    std::string_view key, second, alpha;
};

constexpr PrintedKey kPrinted[] = {
    {113, "GRAPH", "DRAW", ""},
    {114, "ZOOM", "", ""},
    {115, "TRACE", "CALC", ""},
    {116, "PLOT", "LIST", ""},
    {117, "2ndF", "", ""},
    {118, "ALPHA", "", ""},
    {119, "MATH", "", ""},
    {120, "STAT", "MATRIX", ""},
    {121, "PRGM", "", ""},
    {122, "sin", "sin\u207B\u00B9", "A"},
    {123, "cos", "cos\u207B\u00B9", "B"},
    {124, "tan", "tan\u207B\u00B9", "C"},
    {125, "log", "10\u02E3", "D"},
    {126, "ln", "e\u02E3", "E"},
    {127, "x\u00B2", "x\u207B\u00B9", "F"},
    {128, "a\u2022b/c", "", "G"},
    {129, "b/c", "", "H"},
    {130, "^", "\u02E3\u221A", "I"},
    {131, ",", "\u221A", "J"},
    {132, "STO", "", "K"},
    {133, "X", "VARS", ""},
    {160, "7", "u", "L"},
    {161, "8", "v", "M"},
    {162, "9", "w", "N"},
    {163, "(", "{", "O"},
    {164, ")", "}", "P"},
    {165, "4", "L4", "Q"},
    {166, "5", "L5", "R"},
    {167, "6", "L6", "S"},
    {168, "\u00D7", "", "T"},
    {169, "\u00F7", "CATALOG", "U"},
    {170, "1", "L1", "V"},
    {171, "2", "L2", "W"},
    {172, "3", "L3", "X"},
    {173, "+", "FINANCE", "Y"},
    {174, "\u2212", "", "Z"},
    {175, "0", "\u2220", "\u03B8"},
    {176, ".", "i", "SPACE"},
    {177, "(\u2212)", "\u03C0", "="},
    {178, "Exp", "", ":"},
    {179, "ENTER", "Ans", ""},
};

constexpr int kKeyInset = 2;     // the key label keeps clear of the key's rounded edge
constexpr int kLetterWidth = 9;  // an ALPHA label of one letter
constexpr int kStripGap = 1;     // between the strip and the key under it

// Characters of a UTF-8 text, for sharing a strip between its two labels.
int characters(std::string_view text) {
    return static_cast<int>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

}  // namespace

bool boxes_overlap(const LabelBox& a, const LabelBox& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

std::vector<KeyLabel> keyboard_labels() {
    std::vector<KeyLabel> labels;
    for (const KeyboardKey& key : keyboard_keys()) {
        const auto printed = std::find_if(std::begin(kPrinted), std::end(kPrinted),
                                          [&key](const PrintedKey& p) { return p.id == key.id; });
        if (printed == std::end(kPrinted)) {
            continue;
        }
        labels.push_back({key.id,
                          LabelKind::key,
                          printed->key,
                          {key.x + kKeyInset, key.y + kKeyInset, key.width - 2 * kKeyInset,
                           key.height - 2 * kKeyInset}});
        // The strip above the key: the 2ndF label from the left, the ALPHA label at the right.
        const int strip_y = key.y - kStripGap - kLabelStripHeight;
        int alpha_width = 0;
        if (!printed->alpha.empty()) {
            alpha_width = characters(printed->alpha) == 1 ? kLetterWidth : key.width / 2;
        }
        if (!printed->second.empty()) {
            const int gap = alpha_width > 0 ? 1 : 0;
            labels.push_back({key.id,
                              LabelKind::second,
                              printed->second,
                              {key.x, strip_y, key.width - alpha_width - gap, kLabelStripHeight}});
        }
        if (alpha_width > 0) {
            labels.push_back(
                {key.id,
                 LabelKind::alpha,
                 printed->alpha,
                 {key.x + key.width - alpha_width, strip_y, alpha_width, kLabelStripHeight}});
        }
    }
    return labels;
}

std::string keyboard_label_lines() {
    std::string lines;
    for (const KeyLabel& label : keyboard_labels()) {
        const char* kind = label.kind == LabelKind::key      ? "key"
                           : label.kind == LabelKind::second ? "second"
                                                             : "alpha";
        lines += std::to_string(label.key_id) + '\t' + kind + '\t' + std::to_string(label.box.x) +
                 '\t' + std::to_string(label.box.y) + '\t' + std::to_string(label.box.width) +
                 '\t' + std::to_string(label.box.height) + '\t' + std::string(label.text) + '\n';
    }
    return lines;
}

}  // namespace travex
