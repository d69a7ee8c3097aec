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
    int previous = 0x7F;
    for (const auto& glyph : names) {
        EXPECT_GT(glyph.byte, previous) << "in byte order, from 0x80";
        previous = glyph.byte;
        EXPECT_FALSE(glyph.name.empty());
        EXPECT_EQ(glyph.name.find('@'), std::string_view::npos) << glyph.name;
        EXPECT_TRUE(distinct.insert(glyph.name).second) << glyph.name;
        EXPECT_EQ(glyph_byte(glyph.name), glyph.byte);
        EXPECT_EQ(glyph_name(glyph.byte), glyph.name);
    }
    EXPECT_EQ(glyph_name(0xA9), "theta");
    EXPECT_EQ(glyph_name(0xB6), "");
    EXPECT_EQ(glyph_name(0x41), "");
    EXPECT_EQ(glyph_byte("complex_angle"), 0xA1);  // the longest name
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
    struct Case {
        std::string file, calculator;
    };
    const Case decoded[] = {
        {"A@theta@B",
         "A\xA9"
         "B"},
        // An unknown name is dropped with its opening '@'; the closing one opens the next.
        {"@foo@theta@", "\xA9"},
        {"x@Theta@y", "xy"},
        // A lone '@' is dropped.
        {"a@b", "ab"},
        {"@@theta@", "\xA9"},
        {"@intdiv@", "int\xB6"},
        {"@xyi@", "x\xCFyi"},
        {"@intdiv", "intdiv"},
        {"@->@@^-1@@\\@@0@@10@", "\xD8\xBC\xC4\x82\xC1"},
        {std::string("\xA9\r\n\0", 4), std::string("\xA9\r\n\0", 4)},
    };
    for (const Case& c : decoded) {
        EXPECT_EQ(decode_escapes(c.file), c.calculator) << c.file;
    }
    const Case encoded[] = {
        {"@theta@", "\xA9"},
        {"@intdiv@", "int\xB6"},
        {"@xyi@", "x\xCFyi"},
        {"sin@^-1@ (2)\r\n", "sin\xBC (2)\r\n"},
        // Glyph bytes without a name are dropped.
        {"", "\xB6"},
        {"AB",
         "A\xB6"
         "B\xCF\xFF"},
        {"xy in", "x\xCFy in\xB6"},
    };
    for (const Case& c : encoded) {
        EXPECT_EQ(encode_escapes(c.calculator), c.file) << c.file;
    }
}

TEST(CodecEscapes, EveryTokenTextAndRandomTextsSurviveATextFile) {
    EXPECT_EQ(encode_escapes(decode_escapes("@intdiv@")), "@intdiv@");
    for (const auto& table : travex::token_tables()) {
        for (std::string_view text : table.entries) {
            EXPECT_EQ(decode_escapes(encode_escapes(text)), text);
        }
    }
    // ASCII without '@', line breaks, named glyphs and the two special sequences, mixed.
    std::mt19937 random(20261206);
    const auto names = travex::glyph_names();
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int i = static_cast<int>(random() % 40); i > 0; --i) {
            const unsigned kind = random() % 6;
            if (kind == 0) {
                text.push_back(static_cast<char>(names[random() % names.size()].byte));
            } else if (kind == 1) {
                text += (random() % 2) ? "int\xB6" : "x\xCFyi";
            } else if (kind == 2) {
                text += "\r\n";
            } else {
                const char c = static_cast<char>(0x20 + random() % 0x5F);
                text.push_back(c == '@' ? 'a' : c);
            }
        }
        EXPECT_EQ(decode_escapes(encode_escapes(text)), text);
    }
}

}  // namespace
