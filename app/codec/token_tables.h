#pragma once
// The calculator's token tables: the code and the text of every token of a program.
//
// A token is one byte (codes 0x17..0xFD; 0xFD is the line break, text CR LF) or two bytes, a
// prefix byte and an index byte. Prefixes 0x05 and 0x07..0x0D have tables whose first entry has
// index 0x10; prefixes 0x06, 0x0E and 0x0F are two-byte tokens without text. All other byte
// values are one-byte codes without text, and 0x00 ends a token string.
//
// A token code is one 16-bit value whose LOW byte is the first token byte and whose HIGH byte
// is the second (0x1009 is "mat A"). A variable code, as data files and file headers hold it,
// is written the other way round: prefix * 256 + index (0x0910 is "mat A").
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "codec/text_limits.h"

namespace travex {

inline constexpr std::uint8_t kLineBreakToken = 0xFD;
inline constexpr std::uint8_t kSpaceToken = 0x20;
inline constexpr std::uint8_t kFirstOneByteToken = 0x17;
inline constexpr std::uint8_t kFirstTableIndex = 0x10;

// One table of token texts. The one-byte table has prefix 0 and starts at code 0x17; the
// two-byte tables start at index 0x10. An empty entry is an unused code.
struct TokenTable {
    std::uint8_t prefix;
    std::uint8_t first;      // code (one-byte table) or index of entries[0]
    std::size_t slot_width;  // bytes per stored slot, terminator included
    std::span<const std::string_view> entries;

    bool one_byte() const { return prefix == 0; }
    // The token code of entries[i]: the byte itself, or prefix + index * 256.
    std::uint16_t code_of(std::size_t i) const {
        const auto value = static_cast<std::uint16_t>(first + i);
        return one_byte() ? value : static_cast<std::uint16_t>(prefix | (value << 8));
    }
};

// All tables in the tokenizer's search order: the one-byte table, then prefixes 0x05, 0x07,
// 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D.
std::span<const TokenTable> token_tables();

// The text of a token code (low byte first token byte, high byte second). Empty for codes
// without text, empty slots, and indexes outside their table.
std::string_view token_text(std::uint16_t code);

// The name of a variable code written prefix * 256 + index (0x0910 -> "mat A"); empty when the
// code names nothing.
std::string_view variable_name(std::uint16_t variable_code);

// True for the first byte of a two-byte token (0x05..0x0F).
bool is_two_byte_prefix(std::uint8_t byte);

// True for a prefix that has a table (0x05, 0x07..0x0D).
bool has_token_table(std::uint8_t prefix);

}  // namespace travex
