// The character set and the @name@ escapes of plain text files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/charset.h"
#include "codec/escapes.h"
#include "codec/token_tables.h"

namespace {

using travex::decode_escapes;
using travex::encode_escapes;
using travex::glyph_byte;
using travex::glyph_name;

TEST(CodecEscapes, DecodeAndEncode) {
    // clang-format off
    const std::pair<std::string, std::string> decoded[] = {
        {"@theta@", "\xA9"}, {"A@theta@B", "A\xA9" "B"}, {"@intdiv@", "int\xB6"}, {"@xyi@", "x\xCFyi"},
        // An unknown name is dropped with its opening '@'; the closing one opens the next.
        {"@foo@theta@", "\xA9"}, {"x@Theta@y", "xy"},
        // A lone '@' is dropped.
        {"a@b", "ab"}, {"@@theta@", "\xA9"}, {"@intdiv", "intdiv"},
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

TEST(CodecEscapes, EveryTokenTextAndRandomTextsSurviveATextFile) {
    EXPECT_EQ(encode_escapes(decode_escapes("@intdiv@")), "@intdiv@");
    std::vector<std::string> pieces = {"int\xB6", "x\xCFyi", "\r\n"};
    for (const auto& table : travex::token_tables()) {
        for (std::string_view text : table.entries) {
            EXPECT_EQ(decode_escapes(encode_escapes(text)), text);
        }
    }
    // Random texts of ASCII without '@', line breaks, named glyphs and the two sequences.
    for (const auto& glyph : travex::glyph_names()) {
        pieces.emplace_back(1, static_cast<char>(glyph.byte));
    }
    for (char c = ' '; c < 0x7F; ++c) {
        pieces.emplace_back(1, c == '@' ? 'a' : c);
    }
    std::mt19937 random(20261206);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i) {
            text += pieces[random() % pieces.size()];
        }
        EXPECT_EQ(decode_escapes(encode_escapes(text)), text);
    }
}

}  // namespace
