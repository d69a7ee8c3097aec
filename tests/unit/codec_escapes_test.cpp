// The character set and the @name@ escapes of plain text files.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

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
    std::set<std::string_view> distinct;
    int previous = -1;
    for (const auto& glyph : names) {
        EXPECT_GT(glyph.byte, previous) << "in byte order";
        previous = glyph.byte;
        EXPECT_GE(glyph.byte, 0x80);
        EXPECT_FALSE(glyph.name.empty());
        EXPECT_EQ(glyph.name.find('@'), std::string_view::npos) << glyph.name;
        EXPECT_TRUE(distinct.insert(glyph.name).second) << glyph.name;
        EXPECT_EQ(glyph_byte(glyph.name), glyph.byte);
        EXPECT_EQ(glyph_name(glyph.byte), glyph.name);
    }
    EXPECT_EQ(glyph_name(0xA9), "theta");
    EXPECT_EQ(glyph_name(0x82), "0");
    EXPECT_EQ(glyph_name(0x9A), "-");
    EXPECT_EQ(glyph_name(0xC4), "\\");
    EXPECT_EQ(glyph_name(0xD8), "->");
    EXPECT_EQ(glyph_name(0xFE), "^b");
    EXPECT_EQ(glyph_name(0xA1), "complex_angle");
    EXPECT_EQ(glyph_name(0xB6), "");
    EXPECT_EQ(glyph_name(0xCF), "");
    EXPECT_EQ(glyph_name(0xFF), "");
    EXPECT_EQ(glyph_name(0x41), "");
    EXPECT_EQ(glyph_byte("Theta"), std::nullopt);  // compared exactly
    EXPECT_EQ(glyph_byte(""), std::nullopt);
    EXPECT_EQ(glyph_byte("complex_angle"), 0xA1);  // the longest name
    EXPECT_EQ(glyph_byte("complex_angles"), std::nullopt);
    EXPECT_EQ(glyph_byte("theta "), std::nullopt);
    EXPECT_EQ(travex::glyph_string_id(0x80), 500);
    EXPECT_EQ(travex::glyph_string_id(0xFF), 627);
}

TEST(CodecCharset, LoadCalculatorTextFromUtf16) {
    using travex::load_calculator_text;
    EXPECT_EQ(load_calculator_text(u"sin "), "sin ");
    EXPECT_EQ(load_calculator_text(u"\u00A9\u00FF"), "\xA9\xFF");
    // Half-width katakana are the glyphs 0xA1..0xDF; the top of the range wraps modulo 256.
    EXPECT_EQ(load_calculator_text(u"\uFF61\uFF9F"), "\xA1\xDF");
    EXPECT_EQ(load_calculator_text(u"\uFF01\uFFBF\uFFC0\uFFFF"),
              std::string("\x41\xFF\x00\x3F", 4));
    EXPECT_EQ(load_calculator_text(u"\uF8F2"), "\xFE");
    EXPECT_EQ(load_calculator_text(u""), "");
    // Any other code unit spoils the whole string.
    EXPECT_EQ(load_calculator_text(u"A\u0100"), std::nullopt);
    EXPECT_EQ(load_calculator_text(u"\uFF00"), std::nullopt);
    EXPECT_EQ(load_calculator_text(u"\uF8F1"), std::nullopt);
    EXPECT_EQ(load_calculator_text(u"\uF8F3B"), std::nullopt);
}

TEST(CodecEscapes, DecodeEscapes) {
    EXPECT_EQ(decode_escapes("@theta@"), "\xA9");
    EXPECT_EQ(decode_escapes("A@theta@B"),
              "A\xA9"
              "B");
    // An unknown name is dropped with its opening '@'; the closing one starts the next escape.
    EXPECT_EQ(decode_escapes("@foo@theta@"), "\xA9");
    EXPECT_EQ(decode_escapes("x@Theta@y"), "xy");
    // A lone '@' is dropped, the text after it kept.
    EXPECT_EQ(decode_escapes("@"), "");
    EXPECT_EQ(decode_escapes("a@b"), "ab");
    EXPECT_EQ(decode_escapes("@@"), "");
    EXPECT_EQ(decode_escapes("@@theta@"), "\xA9");
    EXPECT_EQ(decode_escapes("@intdiv@"), "int\xB6");
    EXPECT_EQ(decode_escapes("@xyi@"), "x\xCFyi");
    EXPECT_EQ(decode_escapes("@intdiv"), "intdiv");  // not all 8 characters: a lone '@'
    EXPECT_EQ(decode_escapes("@xyi"), "xyi");
    EXPECT_EQ(decode_escapes("@->@@^-1@@\\@@not_=@"), "\xD8\xBC\xC4\xB1");
    EXPECT_EQ(decode_escapes("@0@@9@@10@"), "\x82\x8B\xC1");
    // Glyph bytes already in the text and line breaks are copied.
    EXPECT_EQ(decode_escapes("\xA9\r\n\xB6"), "\xA9\r\n\xB6");
    EXPECT_EQ(decode_escapes(std::string("A\0B", 3)), std::string("A\0B", 3));
}

TEST(CodecEscapes, EncodeEscapes) {
    EXPECT_EQ(encode_escapes("\xA9"), "@theta@");
    EXPECT_EQ(encode_escapes("int\xB6"), "@intdiv@");
    EXPECT_EQ(encode_escapes("x\xCFyi"), "@xyi@");
    EXPECT_EQ(encode_escapes("sin\xBC (2)\r\n"), "sin@^-1@ (2)\r\n");
    // Glyph bytes without a name are dropped.
    EXPECT_EQ(encode_escapes("\xB6"), "");
    EXPECT_EQ(encode_escapes("A\xB6"
                             "B\xCF\xFF"),
              "AB");
    EXPECT_EQ(encode_escapes("x\xCFy"), "xy");
    EXPECT_EQ(encode_escapes("in\xB6"), "in");
    EXPECT_EQ(encode_escapes(""), "");
}

TEST(CodecEscapes, EveryTokenTextSurvivesATextFile) {
    // Every glyph byte that a token text holds has a name or belongs to one of the two special
    // sequences, so a program saved as a text file loses nothing.
    for (const auto& table : travex::token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            EXPECT_EQ(decode_escapes(encode_escapes(table.entries[i])), table.entries[i])
                << std::hex << table.code_of(i);
        }
    }
}

TEST(CodecEscapes, RoundTrips) {
    EXPECT_EQ(encode_escapes(decode_escapes("@intdiv@")), "@intdiv@");
    EXPECT_EQ(encode_escapes(decode_escapes("@xyi@")), "@xyi@");
    // Random calculator texts of ASCII (without '@'), line breaks and named glyphs, with the two
    // special sequences mixed in, come back unchanged after encode then decode.
    std::mt19937 random(20261206);
    const auto names = travex::glyph_names();
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i) {
            switch (random() % 6) {
                case 0:
                    text.push_back(static_cast<char>(names[random() % names.size()].byte));
                    break;
                case 1:
                    text += (random() % 2) ? "int\xB6" : "x\xCFyi";
                    break;
                case 2:
                    text += "\r\n";
                    break;
                default: {
                    char c = static_cast<char>(0x20 + random() % 0x5F);
                    text.push_back(c == '@' ? 'a' : c);
                }
            }
        }
        EXPECT_EQ(decode_escapes(encode_escapes(text)), text);
    }
}

}  // namespace
