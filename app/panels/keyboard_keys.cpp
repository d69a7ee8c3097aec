#include "panels/keyboard_keys.h"

namespace travex {
namespace {

using Kind = KeyAction::Kind;

constexpr KeyAction none() {
    return {};
}
constexpr KeyAction text(std::string_view bytes) {
    return {Kind::text, bytes, 0};
}
constexpr KeyAction group(int number) {
    return {Kind::group, {}, number};
}

// Rectangles on the 292 x 430 panel picture and the normal, 2ndF and ALPHA actions.
constexpr KeyboardKey kKeys[] = {
    {113, 146, 27, 38, 25, none(), group(3), none()},
    {114, 186, 27, 38, 25, group(17), none(), none()},
    {115, 226, 27, 38, 25, text("TRACE"), group(2), none()},
    {116, 66, 61, 38, 25, group(20), group(5), none()},
    {117, 66, 94, 38, 25, none(), none(), none()},   // 2ndF
    {118, 106, 94, 38, 25, none(), none(), none()},  // ALPHA
    {119, 26, 137, 37, 24, group(6), none(), none()},
    {120, 66, 137, 37, 24, group(9), group(7), none()},
    {121, 106, 137, 37, 24, group(8), none(), none()},
    {122, 26, 170, 37, 24, text("sin "), text("sin\xBC "), text("A")},
    {123, 66, 170, 37, 24, text("cos "), text("cos\xBC "), text("B")},
    {124, 106, 170, 37, 24, text("tan "), text("tan\xBC "), text("C")},
    {125, 146, 170, 37, 24, text("log "), text("\xC1^"), text("D")},
    {126, 186, 170, 37, 24, text("ln "), text("e^"), text("E")},
    {127, 226, 170, 37, 24, text("\xBB"), text("\xBC"), text("F")},
    {128, 26, 203, 37, 24, text("\xCA"), none(), text("G")},
    {129, 66, 203, 37, 24, text("\xB8"), none(), text("H")},
    {130, 106, 203, 37, 24, text("^"), text("\xB7\xBF"), text("I")},
    {131, 146, 203, 37, 24, text(","), text("\xBF"), text("J")},
    {132, 186, 203, 37, 24, text("\xBE"), none(), text("K")},
    {133, 226, 203, 37, 24, text("X"), group(21), none()},
    {160, 27, 241, 45, 32, text("7"), text("u"), text("L")},
    {161, 75, 241, 45, 32, text("8"), text("v"), text("M")},
    {162, 123, 241, 45, 32, text("9"), text("w"), text("N")},
    {163, 171, 241, 45, 32, text("("), text("{"), text("O")},
    {164, 219, 241, 45, 32, text(")"), text("}"), text("P")},
    {165, 27, 282, 45, 32, text("4"), text("L4"), text("Q")},
    {166, 75, 282, 45, 32, text("5"), text("L5"), text("R")},
    {167, 123, 282, 45, 32, text("6"), text("L6"), text("S")},
    {168, 171, 282, 45, 32, text("*"), none(), text("T")},
    {169, 219, 282, 45, 32, text("/"), group(23), text("U")},
    {170, 27, 323, 45, 32, text("1"), text("L1"), text("V")},
    {171, 75, 323, 45, 32, text("2"), text("L2"), text("W")},
    {172, 123, 323, 45, 32, text("3"), text("L3"), text("X")},
    {173, 171, 323, 45, 32, text("+"), group(4), text("Y")},
    {174, 219, 323, 45, 32, text("-"), none(), text("Z")},
    {175, 27, 364, 45, 32, text("0"), text("\xA1"), text("\xA9")},
    {176, 75, 364, 45, 32, text("."), text("\x9F"), text(" ")},
    {177, 123, 364, 45, 32, text("\x9A"), text("\xAB"), text("=")},
    {178, 171, 364, 45, 32, text("\x99"), none(), text(":")},
    {179, 219, 364, 45, 32, none(), text("Ans"), none()},
};

const KeyboardKey* find_key(int id) {
    for (const KeyboardKey& key : kKeys) {
        if (key.id == id) {
            return &key;
        }
    }
    return nullptr;
}

}  // namespace

std::span<const KeyboardKey> keyboard_keys() {
    return kKeys;
}

KeyResult press_key(KeyboardState& state, int key_id) {
    if (key_id == kKeySecond) {
        state.second = !state.second;
        state.alpha = 0;
        state.indicator = state.second ? 1 : 0;
        return {};
    }
    if (key_id == kKeyAlpha) {
        if (state.alpha == 0) {
            state.alpha = 2 + (state.second ? 1 : 0);
            state.indicator = state.alpha;
        } else {
            state.alpha = 0;
            state.indicator = 0;
        }
        state.second = false;
        return {};
    }
    const KeyboardKey* key = find_key(key_id);
    if (key == nullptr) {
        return {};
    }
    const int layer = (state.second ? 1 : 0) + state.alpha;
    const KeyAction& action = layer == 0 ? key->normal : layer == 1 ? key->second : key->alpha;
    KeyResult result;
    if (action.kind == Kind::text) {
        result.text = std::string(action.text);
    } else if (action.kind == Kind::group) {
        result.group = action.group;
    }
    state.second = false;
    state.alpha = state.alpha == 3 ? 3 : 0;
    state.indicator = state.alpha;
    return result;
}

}  // namespace travex
