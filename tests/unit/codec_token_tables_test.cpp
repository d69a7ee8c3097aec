// The token tables' own consistency: every text fits its slot, is found by its code and is
// unique, and codes just outside a table or under a prefix without one have no text.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string_view>

#include "codec/token_tables.h"

namespace {

using travex::token_tables;
using travex::token_text;

TEST(CodecTokenTables, TextsFitTheirSlotsAreUniqueAndNothingLiesOutside) {
    std::set<std::string_view> texts;
    for (const auto& table : token_tables()) {
        SCOPED_TRACE(int(table.prefix));
        EXPECT_TRUE(travex::has_token_table(table.prefix) || table.one_byte());
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            const std::string_view text = table.entries[i];
            EXPECT_LT(text.size(), table.slot_width) << text;
            EXPECT_EQ(text.find('\0'), std::string_view::npos);
            EXPECT_EQ(token_text(table.code_of(i)), text);
            EXPECT_TRUE(text.empty() || texts.insert(text).second) << "duplicate " << text;
        }
        EXPECT_EQ(token_text(table.code_of(table.entries.size())), "");
        if (!table.one_byte()) {
            EXPECT_EQ(token_text(static_cast<std::uint16_t>(table.prefix | (table.first - 1) << 8)),
                      "");
        }
    }
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(travex::is_two_byte_prefix(b), byte >= 0x05 && byte <= 0x0F) << byte;
        for (const int prefix : {0x06, 0x0E, 0x0F}) {
            EXPECT_EQ(token_text(static_cast<std::uint16_t>(prefix | byte << 8)), "");
        }
        if (byte < 0x17 || byte > 0xFD) {
            EXPECT_EQ(token_text(b), "") << byte;
        }
    }
    EXPECT_EQ(travex::variable_name(0x0910), "mat A");
    EXPECT_EQ(travex::variable_name(0x0941), "");
}

}  // namespace
