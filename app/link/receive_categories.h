#pragma once
// The fourteen receive categories: what the calculator can be asked for, per slot, with the
// items of each (fixed variable codes, single setup items, or the calculator's directory).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "link/link_packets.h"

namespace travex::link {

inline constexpr std::size_t kReceiveSlots = 14;

enum class RequestForm {
    named,    // 11-byte name from the calculator's directory; the reply carries the name
    by_code,  // two-byte variable code; the reply carries no name
    setup,    // a single block asked for by letter
};

struct ReceiveItem {
    int slot = 0;      // 0..13
    int position = 0;  // within the slot
    char letter = 0;   // slot letter, small
    RequestForm form = RequestForm::setup;
    ItemName request{};     // the requested name (code + nine blanks, or the name)
    std::string line_text;  // "prog1.g6p": the list line and the file name it is saved under
    // Slot * 256 + position.
    std::uint16_t value() const { return static_cast<std::uint16_t>(slot * 256 + position); }
};

struct ReceiveCategory {
    char letter = 0;
    std::vector<ReceiveItem> items;
};

// Builds the categories from the three directory lists (SOLVE EQU, PROGRAM, ANIME).
std::array<ReceiveCategory, kReceiveSlots> build_receive_categories(
    int model_code, const std::array<std::vector<ItemName>, 3>& directories);

// The slots shown for a model, in order.
std::vector<int> receive_slot_order(int model_code);

// Every item of the shown slots, in display order.
std::vector<ReceiveItem> receive_list(int model_code,
                                      const std::array<ReceiveCategory, kReceiveSlots>& categories);

// The extension digit of a model's own files.
char model_digit(int model_code);

}  // namespace travex::link
