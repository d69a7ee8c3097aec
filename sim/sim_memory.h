#pragma once
// What the simulated calculator holds: items of the directory categories (by 11-byte name in
// SOLVE EQU, PROGRAM and ANIME; by two-byte variable code in the others), the setup blocks
// (backup 0x27, data variables 0x28, table setup 0x29, window setup with zoom 0x2B) and the
// screen. Items are kept in the form the calculator sends them back in.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "base/file_system.h"
#include "link/link_packets.h"

namespace travex::sim {

using link::ItemName;
using VariableCode = std::array<std::uint8_t, 2>;  // in wire order: index byte, prefix byte

// True for the categories whose items the calculator lists by name.
bool named_category(const ItemName& category);

// 9-byte records in the window-setup block (window values and zoom values).
inline constexpr std::size_t kWindowSetupRecords = 36;

class CalculatorMemory {
public:
    CalculatorMemory();

    // An item as a send delivers it (the unwrapped transfer payload): named categories key
    // it by its first 11 bytes, the others by its first two bytes. False when too short.
    bool store_sent_item(const ItemName& category, const Bytes& payload);
    void put_named(const ItemName& category, const ItemName& name, Bytes reply_payload);
    void put_code(const ItemName& category, VariableCode code, Bytes payload);
    void put_setup(std::uint8_t code, Bytes block) { setup_[code] = std::move(block); }
    void set_screen(Bytes screen) { screen_ = std::move(screen); }

    // The payload the 0x15 reply carries for a requested item, or nullptr.
    const Bytes* find_item(const ItemName& category, const ItemName& requested) const;
    const Bytes* find_setup(std::uint8_t code) const;
    const Bytes& screen() const { return screen_; }
    std::vector<ItemName> directory(const ItemName& category) const;
    std::size_t item_count() const;

    // Loads one calculator file image (54-byte header and body); false for files the
    // calculator cannot hold (groups, unknown types, short files).
    bool load_file_image(const Bytes& image);
    // Loads every calculator file of a folder; answers the number loaded, -1 when the folder
    // cannot be read.
    int load_folder(const std::string& folder, FileSystem& fs);

    std::size_t used_bytes() const;

private:
    struct Named {
        ItemName name;
        Bytes payload;
    };
    std::map<std::string, std::vector<Named>> named_;  // by category, in arrival order
    std::map<std::pair<std::string, VariableCode>, Bytes> by_code_;
    std::map<std::uint8_t, Bytes> setup_;
    Bytes screen_;
};

// The screen of the simulated calculator: a recognisable test picture.
Bytes default_screen();

}  // namespace travex::sim
