// Calculator text -> program token bytes, and the round trip through the detokenizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "codec/detokenizer.h"
#include "codec/token_tables.h"
#include "codec/tokenizer.h"

namespace {

using travex::detokenize;
using travex::match_token;
using travex::tokenize;
using travex::tokenize_checked;

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out.push_back(static_cast<char>(v));
    }
    return out;
}

std::string detok(const std::string& tokens) {
    return detokenize(
        std::span(reinterpret_cast<const std::uint8_t*>(tokens.data()), tokens.size()));
}

// The token bytes of a code (low byte first).
std::string token_bytes(std::uint16_t code) {
    std::string out(1, static_cast<char>(code & 0xFF));
    if (travex::is_two_byte_prefix(code & 0xFF)) {
        out.push_back(static_cast<char>(code >> 8));
    }
    return out;
}

// Every code that has a text, in search order.
std::vector<std::uint16_t> codes_with_text() {
    std::vector<std::uint16_t> codes;
    for (const auto& table : travex::token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            if (!table.entries[i].empty()) {
                codes.push_back(table.code_of(i));
            }
        }
    }
    return codes;
}

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
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
        return {static_cast<std::uint8_t>(c), 1};
    }
    if (c >= 'a' && c <= 'z') {
        return {static_cast<std::uint16_t>(c - 'a' + 'A'), 1};
    }
    return {0x20, 1};
}

TEST(CodecTokenizer, EdgeCasesOfTheCalculatorTokens) {
    EXPECT_EQ(tokenize("sin (2)"), bytes({0x88, 0x2A, 0x32, 0x2B}));
    EXPECT_EQ(tokenize("sin(2)"), bytes({0xE7, 0x49, 0xC0, 0x2A, 0x32, 0x2B}));
    EXPECT_EQ(tokenize("int\xB6"), bytes({0x0A, 0x61}));
    EXPECT_EQ(tokenize("int "), bytes({0x9A}));
    EXPECT_EQ(tokenize("mat A"), bytes({0x09, 0x10}));
    EXPECT_EQ(tokenize("matA"), bytes({0x4D, 0x41, 0xDF, 0x41}));
    EXPECT_EQ(tokenize("Xmin"), bytes({0x07, 0x10}));
    EXPECT_EQ(tokenize("If A=1\r\nThen "), bytes({0x0A, 0x7B, 0x41, 0x60, 0x31, 0xFD, 0x0A, 0xB3}));
    EXPECT_EQ(tokenize("xmin"), bytes({0xCB}));
    EXPECT_EQ(tokenize("\n"), bytes({0x20}));
    EXPECT_EQ(tokenize("\r"), bytes({0x20}));
    EXPECT_EQ(tokenize("\n\r"), bytes({0x20, 0x20}));
    EXPECT_EQ(tokenize(""), "");
}

TEST(CodecTokenizer, FallbackForCharactersThatStartNoEntry) {
    // Lower-case letters with a token of their own are matched first.
    EXPECT_EQ(tokenize("enpstzwvu"),
              bytes({0x6D, 0xC0, 0xD9, 0xE7, 0xDF, 0xDE, 0x0C, 0x45, 0x0C, 0x44, 0x0C, 0x43}));
    EXPECT_EQ(tokenize("abcq"), "ABCQ");
    EXPECT_EQ(tokenize("@#&;?_`|~"), std::string(9, ' '));
    EXPECT_EQ(tokenize("\x7F\x80\xB6\xFF\x01"), std::string(5, ' '));
    // A zero byte in the text becomes a space: it must not end the program early.
    EXPECT_EQ(tokenize(std::string("A\0B", 3)), "A B");
    for (int c = 0; c < 256; ++c) {
        const std::string one(1, static_cast<char>(c));
        const auto match = match_token(one, 0);
        EXPECT_EQ(match.length, 1u);
        EXPECT_NE(match.code & 0xFF, 0) << c;
    }
    // Nothing is matched at or beyond the end of the text.
    EXPECT_EQ(match_token("A", 1).length, 0u);
    EXPECT_EQ(match_token("", 0).length, 0u);
}

TEST(CodecTokenizer, MatchAgreesWithPlainSearchOfAllTables) {
    // Texts glued from random token texts, pieces of them and random bytes.
    const auto codes = codes_with_text();
    std::mt19937 random(7310);
    for (int round = 0; round < 150; ++round) {
        std::string text;
        while (text.size() < 60) {
            const std::string_view piece = travex::token_text(codes[random() % codes.size()]);
            switch (random() % 4) {
                case 0:
                    text.push_back(static_cast<char>(random() % 256));
                    break;
                case 1:
                    text.append(piece.substr(0, 1 + random() % piece.size()));
                    break;
                default:
                    text.append(piece);
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
    // 161 one-byte tokens: 160, an automatic line break, the last one.
    const std::string line161(161, 'A');
    EXPECT_EQ(tokenize(line161), std::string(160, 'A') + "\xFD" + "A");
    EXPECT_EQ(tokenize(std::string(160, 'A')), std::string(160, 'A'));
    // A two-byte token after 159 bytes is preceded by a line break; after 158 it still fits.
    EXPECT_EQ(tokenize(std::string(159, 'A') + "Xmin"),
              std::string(159, 'A') + bytes({0xFD, 0x07, 0x10}));
    EXPECT_EQ(tokenize(std::string(158, 'A') + "Xmin"),
              std::string(158, 'A') + bytes({0x07, 0x10}));
    // A written line break resets the count, and needs no room itself.
    EXPECT_EQ(tokenize(std::string(160, 'A') + "\r\n" + std::string(160, 'B')),
              std::string(160, 'A') + "\xFD" + std::string(160, 'B'));
    // The automatic break counts as a line break for the following line.
    const std::string many(400, '1');
    const std::string tokens = tokenize(many);
    EXPECT_EQ(tokens, std::string(160, '1') + "\xFD" + std::string(160, '1') + "\xFD" +
                          std::string(80, '1'));
    // Two-byte tokens only: 80 of them fill a line.
    std::string xmins;
    for (int i = 0; i < 81; ++i) {
        xmins += "Xmin";
    }
    const std::string xmin_tokens = tokenize(xmins);
    ASSERT_EQ(xmin_tokens.size(), 81u * 2 + 1);
    EXPECT_EQ(static_cast<std::uint8_t>(xmin_tokens[160]), 0xFD);
}

TEST(CodecTokenizer, CheckedFormRefusesTokensBeyondTheLimit) {
    using travex::kMaxConvertedText;
    // 'u' is a two-byte token: half the limit in characters fills it exactly, with line breaks.
    // Build the text so that the token bytes are exactly the limit: lines of 80 'u' = 160 bytes
    // followed by CR LF (1 byte).
    std::string text;
    std::size_t size = 0;
    while (size + 161 <= kMaxConvertedText) {
        text += std::string(80, 'u') + "\r\n";
        size += 161;
    }
    text += std::string(kMaxConvertedText - size, 'A');
    const auto exact = tokenize_checked(text);
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(exact->size(), kMaxConvertedText);
    EXPECT_EQ(*exact, tokenize(text));
    text += "A";
    EXPECT_FALSE(tokenize_checked(text).has_value());
    EXPECT_EQ(tokenize(text).size(), kMaxConvertedText + 1);  // never cut
    // A two-byte token whose index byte would be the first beyond the limit is refused too.
    text.pop_back();
    text.pop_back();
    text += "u";
    EXPECT_FALSE(tokenize_checked(text).has_value());
}

// A token stream in which every line holds at most 160 bytes, built from codes.
struct StreamBuilder {
    std::string tokens;
    std::size_t line = 0;
    void add(std::uint16_t code) {
        const std::string b = token_bytes(code);
        if (line + b.size() > 160) {
            tokens.push_back('\xFD');
            line = 0;
        }
        tokens += b;
        line += b.size();
    }
    void line_break() {
        tokens.push_back('\xFD');
        line = 0;
    }
};

TEST(CodecTokenizer, EveryTokenRoundTripsThroughItsText) {
    const auto codes = codes_with_text();
    ASSERT_EQ(codes.size(), 573u);
    for (std::uint16_t code : codes) {
        const std::string tokens = token_bytes(code);
        EXPECT_EQ(tokenize(detok(tokens)), tokens) << std::hex << code;
        const auto match = match_token(travex::token_text(code), 0);
        EXPECT_EQ(match.code, code);
    }
    // Corpus: every token once, each on its own line; then lines filled to the 160-byte limit
    // with a two-byte token as the last one; then full lines of one-byte tokens.
    StreamBuilder stream;
    for (std::uint16_t code : codes) {
        stream.add(code);
        stream.line_break();
    }
    for (std::uint16_t code : codes) {
        if (!travex::is_two_byte_prefix(code & 0xFF)) {
            continue;
        }
        stream.tokens += std::string(158, '\x41');
        stream.tokens += token_bytes(code);
        stream.line_break();
    }
    stream.tokens += std::string(160, '\x31');
    stream.line_break();
    const std::string text = detok(stream.tokens);
    EXPECT_EQ(tokenize(text), stream.tokens);
}

TEST(CodecTokenizer, TextsThatReadBackAsOtherTokens) {
    // Where two token texts placed side by side form a longer entry, the tokenizer takes the
    // longer one (and the characters left over may fall back to letters): saving the text of
    // such a program gives other token bytes, sometimes a different text.
    struct Case {
        std::string tokens;
        std::string text;
        std::string retokenized;
    };
    const Case cases[] = {
        // e, ^ -> e^
        {bytes({0x6D, 0x76}), "e^", bytes({0x86})},
        // 2, ^ -> 2^
        {bytes({0x32, 0x76}), "2^", bytes({0x87})},
        // Y, 1 -> the graph function Y1
        {bytes({0x59, 0x31}), "Y1", bytes({0x0C, 0x10})},
        // L, 1 -> the list L1
        {bytes({0x4C, 0x31}), "L1", bytes({0x08, 0x10})},
        // u, v -> the sequence mode uv
        {bytes({0x0C, 0x43, 0x0C, 0x44}), "uv", bytes({0x0A, 0x1B})},
        // s, x' -> sx, '
        {bytes({0xE7, 0x7D}), "sx'", bytes({0xC6, 0x25})},
        // G, e, t, space -> Get
        {bytes({0x47, 0x6D, 0xDF, 0x20}), "Get ", bytes({0x0A, 0x7E})},
        // X, ' stays X, ' (there is no token x alone, and x' is lower case)
        {bytes({0x58, 0x25}), "X'", bytes({0x58, 0x25})},
        // x' is its own token
        {bytes({0x7D}), "x'", bytes({0x7D})},
        // W, EndIf -> WEnd, I, F: the text changes (the f is upper-cased)
        {bytes({0x57, 0x0A, 0xB5}), "WEndIf", bytes({0x0A, 0xB7, 0x49, 0x46})},
        // F, Value -> FV, A, L, u, e
        {bytes({0x46, 0x0B, 0x35}), "FValue ",
         bytes({0x07, 0x46, 0x41, 0x4C, 0x0C, 0x43, 0x6D, 0x20})},
        // s, xmin -> sx, M, I, n
        {bytes({0xE7, 0xCB}), "sxmin", bytes({0xC6, 0x4D, 0x49, 0xC0})},
        // Zm_In, tan -> Zm_Int, A, n, space
        {bytes({0x0B, 0x11, 0x8A}), "Zm_Intan ", bytes({0x0B, 0x16, 0x41, 0xC0, 0x20})},
        // int and 0xB6: no token text starts with 0xB6, so "int" before it comes only from
        // the integer division itself; the letters i, n, t alone are I, n, t.
        {bytes({0x0A, 0x61}), "int\xB6", bytes({0x0A, 0x61})},
        // a line of 159 bytes and a two-byte token: an automatic line break is added
        {std::string(159, 'A') + bytes({0x09, 0x10}), std::string(159, 'A') + "mat A",
         std::string(159, 'A') + bytes({0xFD, 0x09, 0x10})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detok(c.tokens), c.text);
        EXPECT_EQ(tokenize(c.text), c.retokenized) << c.text;
    }
}

TEST(CodecTokenizer, AllPairsOfTokens) {
    // Over every ordered pair of tokens with text: how many read back as other tokens, and how
    // many of those even change the text. The figures are fixed by the tables; a change in them
    // means a table entry or the matching rule changed.
    const auto codes = codes_with_text();
    int resplit = 0;
    int changed_text = 0;
    for (std::uint16_t a : codes) {
        for (std::uint16_t b : codes) {
            const std::string tokens = token_bytes(a) + token_bytes(b);
            const std::string text = detok(tokens);
            const std::string back = tokenize(text);
            if (back != tokens) {
                ++resplit;
                changed_text += detok(back) != text;
            }
        }
    }
    EXPECT_EQ(resplit, 196);
    EXPECT_EQ(changed_text, 98);
}

TEST(CodecTokenizer, RandomProgramsSettleAfterOneSave) {
    // Random programs of every kind of token. Separated by line breaks, the tokens always read
    // back exactly. Side by side, a merge may give other tokens (and fallback letters may change
    // the text); but the text shown after one save and reopen stays the same on every further
    // save, and most programs read back exactly.
    const auto codes = codes_with_text();
    std::mt19937 random(4);
    int exact = 0;
    const int rounds = 300;
    for (int round = 0; round < rounds; ++round) {
        StreamBuilder separated;
        StreamBuilder packed;
        for (int i = 0; i < 30; ++i) {
            const std::uint16_t code = codes[random() % codes.size()];
            separated.add(code);
            separated.line_break();
            packed.add(code);
            if (code == 0xFD) {
                packed.line = 0;
            }
        }
        EXPECT_EQ(tokenize(detok(separated.tokens)), separated.tokens);
        const std::string saved = tokenize(detok(packed.tokens));
        exact += saved == packed.tokens;
        const std::string reopened = detok(saved);
        EXPECT_EQ(detok(tokenize(reopened)), reopened);
    }
    EXPECT_GT(exact, rounds * 9 / 10);
}

}  // namespace
