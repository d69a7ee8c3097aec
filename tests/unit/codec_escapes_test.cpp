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

TEST(CodecCharset, FiftyEightNamedGlyphsBothWays) {
    const auto names = travex::glyph_names();
    ASSERT_EQ(names.size(), 58u);
    int previous = 0x7F;
    for (const auto& glyph : names) {
        // In byte order from 0x80; each name found again (so none is empty or repeated).
        EXPECT_GT(glyph.byte, previous);
        previous = glyph.byte;
        EXPECT_EQ(glyph.name.find('@'), std::string_view::npos) << glyph.name;
        EXPECT_EQ(glyph_byte(glyph.name), glyph.byte) << glyph.name;
        EXPECT_EQ(glyph_name(glyph.byte), glyph.name);
    }
    EXPECT_EQ(glyph_name(0xA9), "theta");
    EXPECT_EQ(glyph_name(0xB6), "");
    EXPECT_EQ(glyph_name(0x41), "");
    for (const char* name : {"Theta", "", "complex_angles", "theta "}) {
        EXPECT_EQ(glyph_byte(name), std::nullopt) << name;  // compared exactly
    }
}

TEST(CodecCharset, LoadCalculatorTextFromUtf16) {
    using travex::load_calculator_text;
    EXPECT_EQ(load_calculator_text(u"sin \u00A9\u00FF"), "sin \xA9\xFF");
    // Half-width katakana are the glyphs 0xA1..0xDF; the top of the range wraps modulo 256.
    EXPECT_EQ(load_calculator_text(u"\uFF61\uFF9F\uFF01\uFFBF\uFFC0\uFFFF\uF8F2"),
              std::string("\xA1\xDF\x41\xFF\x00\x3F\xFE", 7));
    // Any other code unit spoils the whole string.
    for (const char16_t* text : {u"A\u0100", u"\uFF00", u"\uF8F1", u"\uF8F3B"}) {
        EXPECT_EQ(load_calculator_text(text), std::nullopt);
    }
}

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
