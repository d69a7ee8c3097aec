// Calculator text -> program token bytes, and the round trip through the detokenizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "codec/detokenizer.h"
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

}  // namespace
