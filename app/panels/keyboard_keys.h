#pragma once
// The drawn calculator keyboard: the keys' places on the panel picture, what each key does in
// its three layers, and the 2ndF and ALPHA shift states.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace travex {

struct KeyAction {
    enum class Kind : std::uint8_t { none, text, group };
    Kind kind = Kind::none;
    std::string_view text;  // calculator bytes inserted into the active editor
    int group = 0;          // function group opened
};

struct KeyboardKey {
    int id;  // the key's button id on the panel
    int x, y, width, height;
    KeyAction normal, second, alpha;
};

inline constexpr int kKeySecond = 117;
inline constexpr int kKeyAlpha = 118;
inline constexpr int kKeyboardWidth = 292;
inline constexpr int kKeyboardHeight = 430;
inline constexpr int kIndicatorX = 192;
inline constexpr int kIndicatorY = 77;
inline constexpr int kIndicatorWidth = 36;
inline constexpr int kIndicatorHeight = 21;

// The 41 keys in id order (the two shift keys included, with no actions of their own).
std::span<const KeyboardKey> keyboard_keys();

// The shift state, kept for the life of the process.
struct KeyboardState {
    bool second = false;
    int alpha = 0;      // 0 off, 2 on, 3 locked
    int indicator = 0;  // 0 none, 1 2ndF, 2 ALPHA, 3 ALPHA lock
};

// What a key press asks for: text to insert, or a function group to open, or nothing.
struct KeyResult {
    std::string text;
    int group = 0;
};

// Applies one key press to the shift state and answers the key's action in the layer in force.
KeyResult press_key(KeyboardState& state, int key_id);

}  // namespace travex
