#pragma once
// The calculator character set: printable ASCII, carriage return / line feed, and the calculator
// glyphs 0x80..0xFF. 58 of the glyph bytes have names, which are the @name@ escapes of plain
// text files and the glyph names of the resource strings (string id = byte + 372).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace travex {

struct GlyphName {
    std::uint8_t byte;
    std::string_view name;
};

// All named glyphs, in byte order.
std::span<const GlyphName> glyph_names();

// The byte of the glyph called name (compared exactly), or nullopt.
std::optional<std::uint8_t> glyph_byte(std::string_view name);

// The name of a glyph byte; empty when the byte has no name.
std::string_view glyph_name(std::uint8_t byte);

// String id of the name of a glyph byte in the string table.
inline constexpr int glyph_string_id(std::uint8_t byte) {
    return byte + 372;
}

// Converts calculator text stored as UTF-16 in the resources to calculator bytes: a code unit
// below 0x100 is that byte; a code unit from 0xFF01 up is its low byte plus 0x40 (mod 256), so
// the half-width katakana U+FF61..U+FF9F give 0xA1..0xDF; U+F8F2 is 0xFE. Any other code unit
// makes the whole string unconvertible (nullopt).
std::optional<std::string> load_calculator_text(std::u16string_view text);

}  // namespace travex
