// The codec: calculator text <-> program token bytes, the token tables, the @name@ escapes of
// plain text files and the line breaks of loaded text.

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "codec/charset.h"
#include "codec/detokenizer.h"
#include "codec/escapes.h"
#include "codec/line_breaks.h"
#include "codec/text_limits.h"
#include "codec/token_tables.h"
#include "codec/tokenizer.h"
#include "tests/unit/token_bytes.h"

namespace {

using travex::match_token;
using travex::tokenize;
using travex::tokenize_checked;
using travex::testing::codes_with_text;
using travex::testing::detok;
using travex::testing::token_bytes;

// A plain reading of the matching rule: try every entry of every table in search order, keep a
// later one only when it is strictly longer; otherwise one character by the fallback rule.
travex::TokenMatch reference_match(std::string_view text, std::size_t pos) {
    travex::TokenMatch best{0, 0};
    for (const auto& table : travex::token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            const std::string_view entry = table.entries[i];
            if (!entry.empty() && text.substr(pos).starts_with(entry) &&
                entry.size() > best.length) {
                best = {table.code_of(i), entry.size()};
            }
        }
    }
    if (best.length != 0) {
        return best;
    }
    const char c = text[pos];
    const bool own = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z');
    return {static_cast<std::uint16_t>(own ? c : (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : 0x20), 1};
}

TEST(CodecTokenizer, TextsAndTheirTokens) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"sin (2)", "\x88\x2A\x32\x2B"}, {"sin(2)", "\xE7\x49\xC0\x2A\x32\x2B"}, {"", ""},
        {"Xmin", "\x07\x10"}, {"xmin", "\xCB"}, {"If A=1\r\nThen ", "\x0A\x7B\x41\x60\x31\xFD\x0A\xB3"},
        // A lone LF or CR is a space; lower-case letters without a token of their own fall
        // back to upper case, other characters (a zero byte too) to a space.
        {"\n", " "}, {"\n\r", "  "}, {"abq", "ABQ"}, {"enu", "\x6D\xC0\x0C\x43"},
        {std::string("@~\x7F\xB6\xFF\0", 6), std::string(6, ' ')},
    };
    // clang-format on
    for (const auto& [text, tokens] : cases) {
        EXPECT_EQ(tokenize(text), tokens) << text;
    }
    EXPECT_EQ(match_token("A", 1).length, 0u);  // nothing at the end of the text
}

TEST(CodecTokenizer, MatchAgreesWithPlainSearchOfAllTables) {
    // Texts glued from token texts, pieces of them and random bytes.
    const auto codes = codes_with_text();
    std::mt19937 random(7310);
    for (int round = 0; round < 150; ++round) {
        std::string text;
        while (text.size() < 60) {
            const std::string_view piece = travex::token_text(codes[random() % codes.size()]);
            const unsigned kind = random() % 4;
            if (kind == 0) {
                text.push_back(static_cast<char>(random() % 256));
            } else {
                text.append(kind == 1 ? piece.substr(0, 1 + random() % piece.size()) : piece);
            }
        }
        for (std::size_t pos = 0; pos < text.size(); ++pos) {
            const auto want = reference_match(text, pos);
            const auto got = match_token(text, pos);
            ASSERT_EQ(got.code, want.code) << "at " << pos << " of " << text;
            ASSERT_EQ(got.length, want.length) << "at " << pos << " of " << text;
        }
    }
}

TEST(CodecTokenizer, LinesNeverHoldMoreThan160TokenBytes) {
    const std::string a158(158, 'A'), a159(159, 'A'), a160(160, 'A');
    EXPECT_EQ(tokenize(a160 + "A"), a160 + "\xFD" + "A");
    EXPECT_EQ(tokenize(a160), a160);
    // A two-byte token after 159 bytes gets a line break before it; after 158 it still fits.
    EXPECT_EQ(tokenize(a159 + "Xmin"), a159 + "\xFD\x07\x10");
    EXPECT_EQ(tokenize(a158 + "Xmin"), a158 + "\x07\x10");
    // A written line break needs no room and starts a new line, as an automatic one does.
    EXPECT_EQ(tokenize(a160 + "\r\n" + a160), a160 + "\xFD" + a160);
    EXPECT_EQ(tokenize(std::string(400, 'A')), a160 + "\xFD" + a160 + "\xFD" + a160.substr(80));
}

TEST(CodecTokenizer, CheckedFormRefusesTokensBeyondTheLimitWhole) {
    using travex::kMaxConvertedText;
    // Lines of 80 two-byte 'u' tokens and a line break (161 bytes), then 'A's up to the limit.
    std::string text;
    std::size_t size = 0;
    for (; size + 161 <= kMaxConvertedText; size += 161) {
        text += std::string(80, 'u') + "\r\n";
    }
    text += std::string(kMaxConvertedText - size, 'A');
    const auto exact = tokenize_checked(text);
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(*exact, tokenize(text));
    EXPECT_EQ(exact->size(), kMaxConvertedText);
    EXPECT_FALSE(tokenize_checked(text + "A").has_value());
    EXPECT_EQ(tokenize(text + "A").size(), kMaxConvertedText + 1);  // never cut
    // A two-byte token whose index byte would be the first beyond the limit is refused too.
    text.back() = 'u';
    EXPECT_FALSE(tokenize_checked(text).has_value());
}

TEST(CodecTokenizer, EveryPairOfTokensSettlesAfterOneSave) {
    // Over every ordered pair of tokens: how many read back as other tokens and how many of
    // those change the text are fixed by the tables; the text shown after one save and reopen
    // never changes on a further save.
    const auto codes = codes_with_text();
    int resplit = 0, changed_text = 0;
    for (std::uint16_t a : codes) {
        for (std::uint16_t b : codes) {
            const std::string tokens = token_bytes(a) + token_bytes(b);
            const std::string text = detok(tokens);
            const std::string back = tokenize(text);
            if (back != tokens) {
                ++resplit;
                const std::string reopened = detok(back);
                changed_text += reopened != text;
                ASSERT_EQ(detok(tokenize(reopened)), reopened) << text;
            }
        }
    }
    EXPECT_EQ(resplit, 196);
    EXPECT_EQ(changed_text, 98);
}

// Program token bytes -> calculator text.
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

// The character set and the @name@ escapes of plain text files.
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

// Line breaks of loaded text: every lone LF and lone CR becomes CR LF, nothing else changes.
using travex::with_crlf_line_breaks;

TEST(LineBreaks, LoneAndMixedBreaksBecomeCrLf) {
    // LF CR is two breaks, not one turned round; breaks at both ends, a CR as the last byte.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"\n", "\r\n"}, {"\r", "\r\n"}, {"\r\n", "\r\n"}, {"\n\r", "\r\n\r\n"},
        {"\r\r\n\n", "\r\n\r\n\r\n"}, {"A\rB\r\nC\nD", "A\r\nB\r\nC\r\nD"}, {"\nA\r", "\r\nA\r\n"},
    };
    // clang-format on
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(with_crlf_line_breaks(text), expected) << "text of " << text.size() << " bytes";
    }
}

// The token tables' own consistency: every text fits its slot, is found by its code and is
// unique, and codes just outside a table or under a prefix without one have no text.
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
