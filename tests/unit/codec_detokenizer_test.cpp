// Program token bytes -> calculator text.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "codec/detokenizer.h"
#include "codec/text_limits.h"

namespace {

using travex::detokenize;
using travex::detokenize_checked;

TEST(CodecDetokenizer, TokensAndBytesWithoutText) {
    // clang-format off
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {{0x88, 0x2A, 0x32, 0x2B, 0xFD}, "sin (2)\r\n"}, {{0x0A, 0x61}, "int\xB6"}, {{}, ""},
        // A saved program ends with 0xFD 0xFF: a final line break.
        {{0x41, 0xFD, 0xFF}, "A\r\n"},
        // Prefixes without a table consume their index byte and write nothing.
        {{0x06, 0x41, 0x42}, "B"}, {{0x0E, 0xFD, 0x0F, 0x41, 0x43}, "C"},
        // Empty slots and bytes that are no token write nothing.
        {{0x3A, 0xFE, 0xFF, 0x01, 0x04, 0x10, 0x16, 0x41}, "A"},
        // An index outside its table: the pair is skipped whole, never read as a token.
        {{0x09, 0x0F, 0x41}, "A"}, {{0x0A, 0xD4, 0x42}, "B"}, {{0x07, 0x09, 0x10}, ""},
        {{0x0C, 0xFD, 0x41}, "A"},
        // The first zero byte ends the program, also in the place of an index byte.
        {{0x41, 0x00, 0x42}, "A"}, {{0x41, 0x09, 0x00, 0x42}, "A"},
        // A prefix as the last byte is dropped; nothing past the span is read.
        {{0x41, 0x0A}, "A"}, {{0x06}, ""},
    };
    // clang-format on
    for (const auto& [tokens, text] : cases) {
        EXPECT_EQ(detokenize(tokens), text) << text;
    }
}

TEST(CodecDetokenizer, CheckedFormRefusesTextBeyondTheLimitWhole) {
    using travex::kMaxConvertedText;
    // 0x0A 0x1F is "PolarCursor", 11 characters; one-character tokens fill up to the limit.
    std::vector<std::uint8_t> tokens;
    for (std::size_t i = 0; i < kMaxConvertedText / 11; ++i) {
        tokens.insert(tokens.end(), {0x0A, 0x1F});
    }
    tokens.insert(tokens.end(), kMaxConvertedText % 11, 0x41);
    const auto exact = detokenize_checked(tokens);
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(*exact, detokenize(tokens));
    EXPECT_EQ(exact->size(), kMaxConvertedText);

    tokens.push_back(0x42);
    EXPECT_FALSE(detokenize_checked(tokens).has_value());
    EXPECT_EQ(detokenize(tokens).size(), kMaxConvertedText + 1);  // never cut
    // A long token that crosses the limit is refused, not split.
    tokens.back() = 0x0A;
    tokens.push_back(0x1F);
    EXPECT_FALSE(detokenize_checked(tokens).has_value());
}

}  // namespace
