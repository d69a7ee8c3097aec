// The token tables: the shape of every table, and the texts at their ends and where glyph bytes
// or trailing spaces make a slip easy.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string_view>
#include <tuple>

#include "codec/token_tables.h"

namespace {

using travex::token_tables;
using travex::token_text;

// The token code of a prefix and index (prefix 0: the one-byte token index).
std::uint16_t code(std::uint8_t prefix, std::uint8_t index) {
    return prefix == 0 ? index : static_cast<std::uint16_t>(prefix | (index << 8));
}

TEST(CodecTokenTables, ShapeOfEveryTable) {
    // Prefix, first code or index, entries, slot width.
    const std::tuple<int, int, std::size_t, std::size_t> shapes[] = {
        {0x00, 0x17, 231, 11}, {0x05, 0x10, 23, 8}, {0x07, 0x10, 57, 15},
        {0x08, 0x10, 22, 11},  {0x09, 0x10, 10, 6}, {0x0A, 0x10, 196, 15},
        {0x0B, 0x10, 49, 11},  {0x0C, 0x10, 54, 5}, {0x0D, 0x10, 42, 8}};
    const auto tables = token_tables();
    ASSERT_EQ(tables.size(), std::size(shapes));
    std::set<std::string_view> texts;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const auto& table = tables[t];
        SCOPED_TRACE(t);
        const auto [prefix, first, count, slot] = shapes[t];
        EXPECT_EQ(table.prefix, prefix);
        EXPECT_EQ(table.first, first);
        EXPECT_EQ(table.entries.size(), count);
        EXPECT_EQ(table.slot_width, slot);
        EXPECT_TRUE(travex::has_token_table(table.prefix) || table.one_byte());
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            const std::string_view text = table.entries[i];
            // Each text fits its slot with the terminator, is found by its code and is unique.
            EXPECT_LT(text.size(), table.slot_width) << text;
            EXPECT_EQ(text.find('\0'), std::string_view::npos);
            EXPECT_EQ(token_text(table.code_of(i)), text);
            EXPECT_TRUE(text.empty() || texts.insert(text).second) << "duplicate " << text;
        }
        // Just outside the table nothing has text (0xFE after the one-byte table).
        EXPECT_EQ(token_text(table.code_of(table.entries.size())), "");
        if (!table.one_byte()) {
            EXPECT_EQ(token_text(code(table.prefix, table.first - 1)), "");
        }
    }
    EXPECT_EQ(texts.size(), 573u);
}

TEST(CodecTokenTables, TextsAtTheEndsAndWithGlyphsOrSpaces) {
    // clang-format off
    const std::tuple<std::uint8_t, std::uint8_t, std::string_view> samples[] = {
        {0, 0x17, "\x8C"}, {0, 0xFD, "\r\n"}, {0, 0x7F, "\xD8" "deg"}, {0, 0x84, "log\x84 "},
        {0, 0x88, "sin "}, {0, 0x9A, "int "}, {0, 0xCB, "xmin"}, {0, 0xE7, "s"}, {0, 0x3A, ""},
        {0, 0xFC, ""}, {5, 0x10, "Hist"}, {5, 0x11, "Broken\xD3"}, {5, 0x26, "Pie%"},
        {7, 0x10, "Xmin"}, {7, 0x16, ""}, {7, 0x26, "\xA9min"}, {7, 0x30, "\x98Min"},
        {7, 0x48, "C/Y"}, {8, 0x10, "L1"}, {8, 0x18, ""}, {8, 0x25, "Zm_w(\x98Min)"},
        {9, 0x10, "mat A"}, {9, 0x19, "mat J"}, {0x0A, 0x10, "End"}, {0x0A, 0x44, "Rg_ae\xFE\xB7 "},
        {0x0A, 0x48, ""}, {0x0A, 0x61, "int\xB6"}, {0x0A, 0x7B, "If "}, {0x0A, 0xB3, "Then "},
        {0x0A, 0x8E, "\xD8" "a\xCA" "b/c"}, {0x0A, 0xCB, "x\xCFyi"}, {0x0A, 0xD3, "GridOFF"},
        {0x0B, 0x10, "Zm_Box"}, {0x0B, 0x35, "Value "}, {0x0B, 0x37, "\xC3" "dx"},
        {0x0B, 0x40, "TRACE"}, {0x0C, 0x10, "Y1"}, {0x0C, 0x40, "u(\x98)"}, {0x0C, 0x45, "w"},
        {0x0D, 0x10, "Pict1"}, {0x0D, 0x39, "L_Data0"},
    };
    // clang-format on
    for (const auto& [prefix, index, text] : samples) {
        EXPECT_EQ(token_text(code(prefix, index)), text)
            << std::hex << int(prefix) << " " << int(index);
    }
}

TEST(CodecTokenTables, CodesWithoutTextPrefixesAndVariableNames) {
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(travex::is_two_byte_prefix(b), byte >= 0x05 && byte <= 0x0F) << byte;
        // Prefixes without a table and bytes below the one-byte table have no text.
        for (std::uint8_t prefix : {0x06, 0x0E, 0x0F}) {
            EXPECT_EQ(token_text(code(prefix, b)), "");
        }
        if (byte < 0x17 || byte > 0xFD) {
            EXPECT_EQ(token_text(b), "") << byte;
        }
    }
    for (std::uint8_t prefix : {0x04, 0x06, 0x0E, 0x0F, 0x10}) {
        EXPECT_FALSE(travex::has_token_table(prefix)) << int(prefix);
    }
    // Variable codes are written prefix * 256 + index.
    EXPECT_EQ(travex::variable_name(0x0910), "mat A");
    EXPECT_EQ(travex::variable_name(0x0941), "");
}

}  // namespace
