// The token tables: sizes, slot widths and a sample of entries from every run of codes, checked
// against the token texts as the calculator shows them.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "codec/token_tables.h"

namespace {

using travex::token_tables;
using travex::token_text;
using travex::TokenTable;
using travex::variable_name;

// Two-byte code of prefix and index in token order (low byte first).
std::uint16_t two(std::uint8_t prefix, std::uint8_t index) {
    return static_cast<std::uint16_t>(prefix | (index << 8));
}

TEST(CodecTokenTables, TablesInSearchOrderWithTheirSizesAndSlots) {
    struct Expected {
        std::uint8_t prefix, first;
        std::size_t count, slot;
    };
    const Expected expected[] = {{0x00, 0x17, 231, 11}, {0x05, 0x10, 23, 8}, {0x07, 0x10, 57, 15},
                                 {0x08, 0x10, 22, 11},  {0x09, 0x10, 10, 6}, {0x0A, 0x10, 196, 15},
                                 {0x0B, 0x10, 49, 11},  {0x0C, 0x10, 54, 5}, {0x0D, 0x10, 42, 8}};
    const auto tables = token_tables();
    ASSERT_EQ(tables.size(), std::size(expected));
    for (std::size_t t = 0; t < tables.size(); ++t) {
        SCOPED_TRACE(t);
        EXPECT_EQ(tables[t].prefix, expected[t].prefix);
        EXPECT_EQ(tables[t].first, expected[t].first);
        EXPECT_EQ(tables[t].entries.size(), expected[t].count);
        EXPECT_EQ(tables[t].slot_width, expected[t].slot);
        for (std::string_view text : tables[t].entries) {
            // Every text fits its stored slot with the terminator and holds no zero byte.
            EXPECT_LT(text.size(), tables[t].slot_width) << text;
            EXPECT_EQ(text.find('\0'), std::string_view::npos);
        }
    }
    // The one-byte table ends exactly at the line break.
    EXPECT_EQ(tables[0].first + tables[0].entries.size() - 1, 0xFDu);
}

TEST(CodecTokenTables, NoTwoEntriesShareATextAndUsedCodesAreCounted) {
    std::set<std::string_view> seen;
    std::size_t used = 0;
    for (const TokenTable& table : token_tables()) {
        for (std::string_view text : table.entries) {
            if (!text.empty()) {
                ++used;
                EXPECT_TRUE(seen.insert(text).second) << "duplicate token text " << text;
            }
        }
    }
    EXPECT_EQ(used, seen.size());
}

TEST(CodecTokenTables, OneByteSamplesFromEveryRow) {
    const std::map<std::uint16_t, std::string_view> samples = {
        // clang-format off
        {0x17, "\x8C"}, {0x1D, "\x95\xBB"}, {0x1E, "\x96\xBB"}, {0x1F, "\x98"}, {0x20, " "},
        {0x22, "\x99"}, {0x25, "'"}, {0x26, "\""}, {0x2F, "]"}, {0x30, "0"}, {0x39, "9"},
        {0x3A, ""}, {0x3F, ""}, {0x40, ""}, {0x41, "A"}, {0x4F, "O"}, {0x5A, "Z"}, {0x5B, "\xA9"},
        {0x5C, "Ans"}, {0x5F, ","}, {0x61, "\xB1"}, {0x66, "and "}, {0x69, "xnor "}, {0x6C, ""},
        {0x6D, "e"}, {0x6F, ""}, {0x74, "\xB7\xBF"}, {0x7D, "x'"}, {0x7F, "\xD8" "deg"},
        {0x80, "\xD8" "dms"}, {0x84, "log\x84 "}, {0x85, "\xC1^"}, {0x8B, "sin\xBC "},
        {0x8F, "cosh "}, {0x93, "tanh\xBC "}, {0x9A, "int "}, {0x9E, "df_list "},
        {0x9F, "augment("}, {0xA1, "xy\xD8r("}, {0xA4, "r\xA9\xD8y("}, {0xA6, "d/dx("},
        {0xAF, "stdDv("}, {0xB0, "varian("}, {0xB3, "%"}, {0xB4, ""}, {0xB7, "\xC2("},
        {0xBC, "\xC3"}, {0xBF, "\x97"}, {0xC0, "n"}, {0xC5, "\xAD\x84"}, {0xC9, "sxp"},
        {0xCA, "\xCBx"}, {0xCF, "\xC2xy"}, {0xD0, "\xAE"}, {0xD6, "\xC2y\xBB"}, {0xD7, ""},
        {0xD9, "p"}, {0xDE, "z"}, {0xDF, "t"}, {0xE0, "\xCD\xBB"}, {0xE3, ""}, {0xE7, "s"},
        {0xEE, "lower"}, {0xEF, "upper"}, {0xF0, "x\x83"}, {0xF7, "Med"}, {0xF9, "C-Level"},
        {0xFB, "\xCA"}, {0xFC, ""}, {0xFD, "\r\n"},
        // clang-format on
    };
    for (const auto& [code, text] : samples) {
        EXPECT_EQ(token_text(code), text) << std::hex << code;
    }
}

TEST(CodecTokenTables, TwoByteSamplesFromEveryRow) {
    struct Sample {
        std::uint8_t prefix, index;
        std::string_view text;
    };
    const Sample samples[] = {
        // clang-format off
        {0x05, 0x10, "Hist"}, {0x05, 0x14, "Norm\xD3_x"}, {0x05, 0x1A, "NormDis"},
        {0x05, 0x1F, "Scattr\xD3"}, {0x05, 0x20, "Scattr\xD2"}, {0x05, 0x26, "Pie%"},
        {0x07, 0x10, "Xmin"}, {0x07, 0x16, ""}, {0x07, 0x18, "X_Fact"}, {0x07, 0x1F, "Zm_Yscl"},
        {0x07, 0x25, "Zm_Tstp"}, {0x07, 0x26, "\xA9min"}, {0x07, 0x2B, "Zm_\xA9stp"},
        {0x07, 0x2C, ""}, {0x07, 0x30, "\x98Min"}, {0x07, 0x36, "Zm_PltStart"}, {0x07, 0x38, ""},
        {0x07, 0x40, "TBLStrt"}, {0x07, 0x42, "\xC8"}, {0x07, 0x48, "C/Y"}, {0x08, 0x10, "L1"},
        {0x08, 0x17, "resid"}, {0x08, 0x18, ""}, {0x08, 0x20, "u(\x98Min)"},
        {0x08, 0x25, "Zm_w(\x98Min)"}, {0x09, 0x10, "mat A"}, {0x09, 0x19, "mat J"},
        {0x0A, 0x10, "End"}, {0x0A, 0x1F, "PolarCursor"}, {0x0A, 0x22, "Y'ON"},
        {0x0A, 0x2E, "Wait "}, {0x0A, 0x38, "slv_\xC8 "}, {0x0A, 0x3F, "Rg_x\xBD "},
        {0x0A, 0x40, "Rg_x\xF9 "}, {0x0A, 0x44, "Rg_ae\xFE\xB7 "}, {0x0A, 0x47, "Rg_ax"},
        {0x0A, 0x48, ""}, {0x0A, 0x51, "row_m.p.("}, {0x0A, 0x5B, "\xD8" "Apr("},
        {0x0A, 0x5E, "Rg_logistic "}, {0x0A, 0x60, "remain"}, {0x0A, 0x61, "int\xB6"},
        {0x0A, 0x6A, ""}, {0x0A, 0x70, "cdf\xCD\xBB("}, {0x0A, 0x75, "InvNorm("},
        {0x0A, 0x7B, "If "}, {0x0A, 0x7F, "identity "}, {0x0A, 0x80, "det "},
        {0x0A, 0x8E, "\xD8" "a\xCA" "b/c"}, {0x0A, 0x90, "ClrDraw"}, {0x0A, 0x9A, "N_line("},
        {0x0A, 0x9B, ""}, {0x0A, 0xA2, "pdf\xCD\xBB("}, {0x0A, 0xA7, ""}, {0x0A, 0xAF, "DotPro("},
        {0x0A, 0xB0, ""}, {0x0A, 0xB3, "Then "}, {0x0A, 0xB8, "Key "}, {0x0A, 0xC0, "Tab "},
        {0x0A, 0xCB, "x\xCFyi"}, {0x0A, 0xCC, "r\xA1\xA9"}, {0x0A, 0xD0, "AxisON"},
        {0x0A, 0xD3, "GridOFF"}, {0x0B, 0x10, "Zm_Box"}, {0x0B, 0x1C, "Zm_\xC1\xB7"},
        {0x0B, 0x20, "Zm_sin"}, {0x0B, 0x2B, "Zm_tanh\xBC"}, {0x0B, 0x2F, ""},
        {0x0B, 0x30, "Intsct"}, {0x0B, 0x35, "Value "}, {0x0B, 0x37, "\xC3" "dx"},
        {0x0B, 0x40, "TRACE"}, {0x0C, 0x10, "Y1"}, {0x0C, 0x19, "Y0"}, {0x0C, 0x20, "X1T"},
        {0x0C, 0x2B, "Y6T"}, {0x0C, 0x30, "R1"}, {0x0C, 0x35, "R6"}, {0x0C, 0x40, "u(\x98)"},
        {0x0C, 0x45, "w"}, {0x0D, 0x10, "Pict1"}, {0x0D, 0x19, "Pict0"}, {0x0D, 0x20, "G_Data1"},
        {0x0D, 0x29, "G_Data0"}, {0x0D, 0x30, "L_Data1"}, {0x0D, 0x39, "L_Data0"},
        // clang-format on
    };
    for (const Sample& s : samples) {
        EXPECT_EQ(token_text(two(s.prefix, s.index)), s.text)
            << std::hex << int(s.prefix) << " " << int(s.index);
    }
}

TEST(CodecTokenTables, CodesWithoutText) {
    // Prefixes without a table, indexes outside a table, and bytes that are no token.
    for (std::uint8_t prefix : {0x06, 0x0E, 0x0F}) {
        for (int index = 0; index < 256; ++index) {
            EXPECT_TRUE(token_text(two(prefix, static_cast<std::uint8_t>(index))).empty());
        }
    }
    EXPECT_EQ(token_text(two(0x05, 0x0F)), "");
    EXPECT_EQ(token_text(two(0x05, 0x27)), "");
    EXPECT_EQ(token_text(two(0x09, 0x1A)), "");
    EXPECT_EQ(token_text(two(0x0A, 0xD4)), "");
    EXPECT_EQ(token_text(two(0x0A, 0xFF)), "");
    EXPECT_EQ(token_text(two(0x0B, 0x41)), "");
    EXPECT_EQ(token_text(two(0x0D, 0x3A)), "");
    EXPECT_EQ(token_text(two(0x0D, 0x00)), "");
    for (int byte : {0x00, 0x01, 0x04, 0x10, 0x16, 0xFE, 0xFF}) {
        EXPECT_TRUE(token_text(static_cast<std::uint16_t>(byte)).empty()) << byte;
    }
}

TEST(CodecTokenTables, PrefixesAndVariableNames) {
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(travex::is_two_byte_prefix(static_cast<std::uint8_t>(byte)),
                  byte >= 0x05 && byte <= 0x0F)
            << byte;
        EXPECT_EQ(travex::has_token_table(static_cast<std::uint8_t>(byte)),
                  byte == 0x05 || (byte >= 0x07 && byte <= 0x0D))
            << byte;
    }
    // Variable codes are written prefix * 256 + index.
    EXPECT_EQ(variable_name(0x0910), "mat A");
    EXPECT_EQ(variable_name(0x0810), "L1");
    EXPECT_EQ(variable_name(0x0D39), "L_Data0");
    EXPECT_EQ(variable_name(0x0C10), "Y1");
    EXPECT_EQ(variable_name(0x0941), "");
    EXPECT_EQ(variable_name(0x0610), "");
    EXPECT_EQ(travex::token_text(0x1009), "mat A");
}

TEST(CodecTokenTables, CodeOfEntryRoundTrips) {
    for (const TokenTable& table : token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            EXPECT_EQ(token_text(table.code_of(i)), table.entries[i]);
        }
    }
}

}  // namespace
