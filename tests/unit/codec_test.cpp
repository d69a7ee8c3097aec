// The codec: calculator text <-> program token bytes and the @name@ escapes of plain text files.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "codec/detokenizer.h"
#include "codec/escapes.h"
#include "codec/token_tables.h"
#include "codec/tokenizer.h"

namespace {

using travex::tokenize;

TEST(CodecTokenizer, TextsAndTheirTokens) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"sin (2)", "\x88\x2A\x32\x2B"}, {"sin(2)", "\xE7\x49\xC0\x2A\x32\x2B"},
        {"xmin", "\xCB"}, {"If A=1\r\nThen ", "\x0A\x7B\x41\x60\x31\xFD\x0A\xB3"},
        // A lone LF or CR is a space; lower-case letters without a token of their own fall
        // back to upper case, other characters (a zero byte too) to a space.
        {"\n\r", "  "}, {"abq", "ABQ"},
        {std::string("@~\x7F\xB6\xFF\0", 6), std::string(6, ' ')},
    };
    // clang-format on
    for (const auto& [text, tokens] : cases) {
        EXPECT_EQ(tokenize(text), tokens) << text;
    }
}

TEST(CodecTokenizer, LinesNeverHoldMoreThan160TokenBytes) {
    const std::string a158(158, 'A'), a159(159, 'A'), a160(160, 'A');
    EXPECT_EQ(tokenize(a160 + "A"), a160 + "\xFD" + "A");
    // A two-byte token after 159 bytes gets a line break before it; after 158 it still fits.
    EXPECT_EQ(tokenize(a159 + "Xmin"), a159 + "\xFD\x07\x10");
    EXPECT_EQ(tokenize(a158 + "Xmin"), a158 + "\x07\x10");
    // A written line break needs no room and starts a new line, as an automatic one does.
    EXPECT_EQ(tokenize(a160 + "\r\n" + a160), a160 + "\xFD" + a160);
}

// Program token bytes -> calculator text.
using travex::detokenize;

TEST(CodecDetokenizer, TokensAndBytesWithoutText) {
    // clang-format off
    const std::pair<std::vector<std::uint8_t>, std::string> cases[] = {
        {{0x88, 0x2A, 0x32, 0x2B, 0xFD}, "sin (2)\r\n"}, {{0x0A, 0x61}, "int\xB6"},
        // A saved program ends with 0xFD 0xFF: a final line break.
        {{0x41, 0xFD, 0xFF}, "A\r\n"},
        // Prefixes without a table consume their index byte and write nothing.
        {{0x06, 0x41, 0x42}, "B"}, {{0x0E, 0xFD, 0x0F, 0x41, 0x43}, "C"},
        // Empty slots and bytes that are no token write nothing.
        {{0x3A, 0xFE, 0xFF, 0x01, 0x04, 0x10, 0x16, 0x41}, "A"},
        // An index outside its table: the pair is skipped whole, never read as a token.
        {{0x09, 0x0F, 0x41}, "A"}, {{0x0A, 0xD4, 0x42}, "B"}, {{0x0C, 0xFD, 0x41}, "A"},
        // The first zero byte ends the program, also in the place of an index byte.
        {{0x41, 0x00, 0x42}, "A"}, {{0x41, 0x09, 0x00, 0x42}, "A"},
        // A prefix as the last byte is dropped; nothing past the span is read.
        {{0x41, 0x0A}, "A"},
    };
    // clang-format on
    for (const auto& [tokens, text] : cases) {
        EXPECT_EQ(detokenize(tokens), text) << text;
    }
}

// The character set and the @name@ escapes of plain text files.
using travex::decode_escapes;
using travex::encode_escapes;

TEST(CodecEscapes, DecodeAndEncode) {
    // clang-format off
    const std::pair<std::string, std::string> decoded[] = {
        {"A@theta@B", "A\xA9" "B"}, {"@intdiv@", "int\xB6"}, {"@xyi@", "x\xCFyi"},
        // An unknown name is dropped with its opening '@'; the closing one opens the next.
        {"@foo@theta@", "\xA9"}, {"x@Theta@y", "xy"},
        // A lone '@' is dropped.
        {"a@b", "ab"}, {"@@theta@", "\xA9"},
        {"@->@@^-1@@\\@@0@@10@", "\xD8\xBC\xC4\x82\xC1"},
        {std::string("\xA9\r\n\0", 4), std::string("\xA9\r\n\0", 4)},
    };
    const std::pair<std::string, std::string> encoded[] = {
        {"\xA9", "@theta@"}, {"int\xB6", "@intdiv@"}, {"x\xCFyi", "@xyi@"},
        {"sin\xBC (2)\r\n", "sin@^-1@ (2)\r\n"},
        // Glyph bytes without a name are dropped.
        {"\xB6", ""}, {"A\xB6" "B\xCF\xFF", "AB"}, {"x\xCFy in\xB6", "xy in"},
    };
    // clang-format on
    for (const auto& [file, calculator] : decoded) {
        EXPECT_EQ(decode_escapes(file), calculator) << file;
    }
    for (const auto& [calculator, file] : encoded) {
        EXPECT_EQ(encode_escapes(calculator), file) << file;
    }
}

TEST(CodecEscapes, EveryTokenTextSurvivesATextFile) {
    for (const auto& table : travex::token_tables()) {
        for (std::string_view text : table.entries) {
            EXPECT_EQ(decode_escapes(encode_escapes(text)), text);
        }
    }
}

}  // namespace
