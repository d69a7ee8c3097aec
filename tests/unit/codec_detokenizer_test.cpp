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

std::string detok(std::vector<std::uint8_t> bytes) {
    return detokenize(bytes);
}

TEST(CodecDetokenizer, EdgeCasesOfTheCalculatorTokens) {
    EXPECT_EQ(detok({0x88, 0x2A, 0x32, 0x2B, 0xFD}), "sin (2)\r\n");
    EXPECT_EQ(detok({0x09, 0x10}), "mat A");
    EXPECT_EQ(detok({0x0A, 0x61}), "int\xB6");
    EXPECT_EQ(detok({0x0D, 0x39}), "L_Data0");
    // Prefixes without a table consume their index byte and write nothing.
    EXPECT_EQ(detok({0x06, 0x41, 0x42}), "B");
    EXPECT_EQ(detok({0x0E, 0xFD, 0x0F, 0x41, 0x43}), "C");
    // Empty slots and bytes that are no token write nothing.
    EXPECT_EQ(detok({0x3A, 0xFE, 0xFF, 0x01, 0x04, 0x10, 0x16, 0x41}), "A");
    EXPECT_EQ(detok({}), "");
    // A saved program ends with 0xFD 0xFF: a final line break.
    EXPECT_EQ(detok({0x41, 0xFD, 0xFF}), "A\r\n");
}

TEST(CodecDetokenizer, StopsAtTheFirstZeroByte) {
    EXPECT_EQ(detok({0x41, 0x00, 0x42}), "A");
    EXPECT_EQ(detok({0x00, 0x41}), "");
    // A zero index byte is the terminator, not an index.
    EXPECT_EQ(detok({0x41, 0x09, 0x00, 0x10}), "A");
}

TEST(CodecDetokenizer, IndexOutsideItsTableWritesNothingAndConsumesTwoBytes) {
    // Below 0x10 and beyond the last entry of a table: the pair is skipped as a whole, so the
    // following token is read from the right place.
    EXPECT_EQ(detok({0x09, 0x0F, 0x41}), "A");
    EXPECT_EQ(detok({0x09, 0x1A, 0x41}), "A");
    EXPECT_EQ(detok({0x0A, 0xD4, 0x42}), "B");
    EXPECT_EQ(detok({0x0B, 0x41, 0x43}), "C");
    EXPECT_EQ(detok({0x05, 0x27, 0x44}), "D");
    // The index byte is never taken as a token of its own, even when it is a prefix.
    EXPECT_EQ(detok({0x07, 0x09, 0x10}), "");
    EXPECT_EQ(detok({0x0C, 0xFD, 0x41}), "A");
}

TEST(CodecDetokenizer, PrefixAsLastByteIsDroppedWithoutReadingBeyond) {
    // The span ends right after the prefix: nothing is read past it (ASan would report it).
    const std::vector<std::uint8_t> bytes = {0x41, 0x0A};
    EXPECT_EQ(detokenize(std::span(bytes.data(), bytes.size())), "A");
    EXPECT_EQ(detok({0x06}), "");
    EXPECT_EQ(detok({0x42, 0x0F}), "B");
    EXPECT_EQ(detok({0x42, 0x0D, 0x00, 0x0D, 0x10}), "B");
}

TEST(CodecDetokenizer, CheckedFormRefusesTextBeyondTheLimit) {
    using travex::kMaxConvertedText;
    // 0x0A 0x1F is "PolarCursor", 11 characters for 2 token bytes.
    const std::size_t whole = kMaxConvertedText / 11;
    std::vector<std::uint8_t> tokens;
    for (std::size_t i = 0; i < whole; ++i) {
        tokens.insert(tokens.end(), {0x0A, 0x1F});
    }
    // Fill the remainder up to exactly the limit with one-character tokens.
    tokens.insert(tokens.end(), kMaxConvertedText - whole * 11, 0x41);
    const auto exact = detokenize_checked(tokens);
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(exact->size(), kMaxConvertedText);
    EXPECT_EQ(*exact, detokenize(tokens));

    tokens.push_back(0x42);
    EXPECT_FALSE(detokenize_checked(tokens).has_value());
    // The unchecked form still converts everything: nothing is ever cut.
    EXPECT_EQ(detokenize(tokens).size(), kMaxConvertedText + 1);
    // A long token that crosses the limit is refused, not split.
    tokens.pop_back();
    tokens.insert(tokens.end(), {0x0A, 0x1F});
    EXPECT_FALSE(detokenize_checked(tokens).has_value());
}

}  // namespace
