#include "codec/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "tests/unit/test_bytes.h"

namespace {

using travex::format_number;
using Number = std::array<std::uint8_t, travex::kNumberBytes>;

// A number from its exponent, flag nibble and mantissa digits.
Number make(int exponent, int flags, const std::string& digits) {
    const travex::Bytes n = travex::testing::bcd_number(exponent, flags, digits);
    Number out;
    std::copy(n.begin(), n.end(), out.begin());
    return out;
}

const std::string kMinus = "\x9A";
const std::string kPair = " \xB8 ";

std::string text_of(const Number& n, int mode = 0) {
    std::string text;
    format_number(n, text, static_cast<std::uint8_t>(mode));
    return text;
}

TEST(NumberFormat, ValuesEdgesAndModes) {
    // clang-format off
    const std::tuple<int, int, const char*, int, std::string> cases[] = {
        {0, 0, "25", 0, "2.5"}, {-3, 1, "1", 0, kMinus + ".001"}, {15, 0, "12", 0, "1.2E15"},
        {0, 0, "", 0, "0"}, {-5, 1, "", 0, kMinus + "0"}, {2, 0, "1", 0, "100"},
        {14, 0, "1", 0, "1E14"}, {-10, 0, "5", 0, "5E" + kMinus + "10"},
        // Exponents out of range write no digits but keep sign, pair and complex rules.
        {500, 3, "1", 0, kMinus + kPair}, {500, 0, "1", 4, "+"},
        // Beyond 14 places after the point the first digit left out rounds half up.
        {-2, 0, "12345678901235", 0, ".01234567890124"}, {-2, 0, "99999999999995", 0, ".1"},
        {-2, 0, "99999999999994", 0, ".09999999999999"}, {-9, 0, "00000049", 0, "0"},
        {-9, 1, "12345675", 0, kMinus + ".00000000123457"}, {-9, 0, "0000005", 0, ".00000000000001"},
        // Second parts (mode 4), after a dropped zero (mode 12), after a pair (mode 6).
        {0, 0, "2", 4, "+2i"}, {0, 1, "2", 4, "-2i"}, {0, 1, "2", 12, kMinus + "2i"},
        {0, 0, "1", 4, "+i"}, {0, 1, "1", 12, kMinus + "i"}, {0, 0, "1", 6, "+i"},
        {0, 1, "", 4, ""}, {0, 1, "2", 8, kMinus + "2"}, {0, 2, "", 4, "+0" + kPair + "i"},
        {-1, 0, "1", 4, "+.1i"}, {14, 0, "1", 12, "1E14i"},
    };
    // clang-format on
    for (const auto& [exponent, flags, digits, mode, text] : cases) {
        EXPECT_EQ(text_of(make(exponent, flags, digits), mode), text) << digits << " e" << exponent;
    }
}

TEST(NumberFormat, EveryFlagAndModeCombinationIsConsistent) {
    for (const std::string digits : {"", "1", "25", "99999999999999"}) {
        for (int flags = 0; flags < 16; ++flags) {
            for (int mode = 0; mode < 16; ++mode) {
                SCOPED_TRACE(digits + " f" + std::to_string(flags) + " m" + std::to_string(mode));
                std::string text;
                const int returned =
                    format_number(make(0, flags, digits), text, static_cast<std::uint8_t>(mode));
                const bool second = mode & 4;
                // A zero first part of a complex pair is dropped; bit 3 is never passed on.
                const bool dropped = (flags & 4) && !(flags & 2) && digits.empty();
                EXPECT_EQ(returned, (flags & 7) | (dropped ? 8 : 0));
                if (dropped || (second && digits.empty() && !(flags & 2))) {
                    EXPECT_EQ(text, "");
                    continue;
                }
                ASSERT_FALSE(text.empty());
                // The sign leads: ASCII for a signed second part, else the calculator's glyph.
                const bool ascii_sign = second && !(mode & 8);
                if (flags & 1) {
                    EXPECT_EQ(text.substr(0, 1), ascii_sign ? "-" : kMinus);
                } else {
                    EXPECT_EQ(text[0] == '+', ascii_sign);
                }
                EXPECT_EQ(text.find(kPair) != std::string::npos, (flags & 2) != 0);
                EXPECT_EQ(text.back() == 'i', second);
            }
        }
    }
}

TEST(NumberFormat, WholeExponentRangeReadsBackAsTheValue) {
    const std::vector<std::string> mantissas = {
        "10000000000000", "12345678901234", "99999999999999", "00000000000000",
        "50000000000005", "00000000000001", "99999999999995", "10000000000009"};
    for (int code = 0; code < 1000; ++code) {
        const int e = code > 100 ? code - 1000 : code;
        for (int negative = 0; negative < 2; ++negative) {
            for (const auto& digits : mantissas) {
                SCOPED_TRACE("code " + std::to_string(code) + " " + digits);
                const auto n = make(e, negative, digits);
                ASSERT_EQ(travex::number_exponent(n), e);
                const std::string text = text_of(n);
                const std::string sign = negative ? kMinus : "";
                ASSERT_EQ(text.substr(0, sign.size()), sign);
                const std::string body = text.substr(sign.size());
                if (e > 99 || e < -99) {
                    EXPECT_EQ(body, "");
                    continue;
                }
                const bool scientific = e > 13 || e < -9;
                ASSERT_EQ(body.find('E') != std::string::npos, scientific);
                const std::string mantissa = body.substr(0, body.find('E'));
                EXPECT_NE(mantissa.back(), '.');
                EXPECT_TRUE(mantissa.find('.') == std::string::npos || mantissa.back() != '0');
                if (scientific) {
                    EXPECT_EQ(body.substr(body.find('E') + 1),
                              (e < 0 ? kMinus : "") + std::to_string(std::abs(e)));
                }
                // Exact, or within half a unit of the 14th place where fixed notation cuts.
                const long double want =
                    std::stold(digits) * std::pow(10.0L, e - 13) * (negative ? -1 : 1);
                const long double tolerance =
                    std::fabs(want) * 1e-17L + (!scientific && e < -1 ? 0.5e-14L : 0.0L);
                std::string c_text = text;  // the minus glyph in C syntax
                std::replace(c_text.begin(), c_text.end(), kMinus[0], '-');
                EXPECT_LE(std::fabs(std::strtold(c_text.c_str(), nullptr) - want), tolerance)
                    << text;
            }
        }
    }
}

TEST(NumberFormat, NonDecimalNibblesWriteNoDigitsAndTextIsAppended) {
    auto n = make(0, 1, "25");
    n[0] = 0x0A;  // tens digit of the exponent
    EXPECT_EQ(travex::number_exponent(n), std::nullopt);
    EXPECT_EQ(text_of(n), kMinus);
    n = make(0, 4, "");
    n[8] = 0x0B;  // last mantissa digit: not a zero, so nothing is dropped
    std::string out = "x";
    EXPECT_EQ(format_number(n, out, 0), 4);
    format_number(make(0, 0, "25"), out, 0);
    EXPECT_EQ(out, "x2.5");
}

}  // namespace
