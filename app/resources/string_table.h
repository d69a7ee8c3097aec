#pragma once
// The application's string table: every user-visible text, dialog filter, glyph name and
// function-menu text, read by id. This table is the one source of the STRINGTABLE resource of
// TRAVEX.exe (generated from it at build time) and is read directly by the portable code.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace travex {

struct StringEntry {
    std::uint16_t id;
    // Calculator text: printable ASCII, control bytes as given, bytes 0x80-0xFF are calculator
    // glyphs. Messages, help texts and filters are plain ASCII.
    std::string_view text;
};

// All strings in ascending id order.
std::span<const StringEntry> string_table();

// The text of a string id, or nothing when the table has no such id.
std::optional<std::string_view> string_text(std::uint16_t id);

// Well-known ids and id rules.
inline constexpr std::uint16_t kMessageBaseId = 400;       // + message index
inline constexpr std::uint16_t kGlyphNameOffset = 372;     // glyph byte + 372
inline constexpr std::uint16_t kToolbarHoverBaseId = 300;  // + button index
inline constexpr std::uint16_t kFilterBaseId = 180;        // + filter index (the running model)
inline constexpr int kHelpIdFromCommand = 19801;           // command id - 19801

}  // namespace travex
