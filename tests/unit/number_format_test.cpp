#include "codec/number_format.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using travex::format_number;
using travex::kNumberBytes;

const std::string kMinus = "\x9A";
const std::string kPair = " \xB8 ";

// A number from its exponent code (0..999, as stored), flag nibble and 14 mantissa digits.
std::array<std::uint8_t, kNumberBytes> make_code(int code, int flags, const std::string& digits) {
    std::array<std::uint8_t, kNumberBytes> n{};
    n[0] = static_cast<std::uint8_t>(((code / 100) << 4) | ((code / 10) % 10));
    n[1] = static_cast<std::uint8_t>(((code % 10) << 4) | flags);
    for (std::size_t i = 0; i < 14; ++i) {
        const int d = i < digits.size() ? digits[i] - '0' : 0;
        n[2 + i / 2] |= static_cast<std::uint8_t>(i % 2 == 0 ? d << 4 : d);
    }
    return n;
}

std::array<std::uint8_t, kNumberBytes> make(int exponent, int flags, const std::string& digits) {
    return make_code(exponent < 0 ? exponent + 1000 : exponent, flags, digits);
}

struct Formatted {
    std::string text;
    std::uint8_t flags;
};

Formatted fmt(const std::array<std::uint8_t, kNumberBytes>& n, std::uint8_t mode = 0) {
    Formatted f;
    f.flags = format_number(n, f.text, mode);
    return f;
}

// A pair formatted the way the exports do: first part, then the second with the first's flags.
std::string pair_text(const std::array<std::uint8_t, kNumberBytes>& first,
                      const std::array<std::uint8_t, kNumberBytes>& second) {
    std::string text;
    const std::uint8_t flags = format_number(first, text, 0);
    format_number(second, text, travex::second_part_mode(flags));
    return text;
}

TEST(NumberFormatExamples, RealValues) {
    EXPECT_EQ(fmt(make(0, 0, "25")).text, "2.5");
    EXPECT_EQ(fmt(make(-3, 1, "1")).text, kMinus + ".001");
    EXPECT_EQ(fmt(make(15, 0, "12")).text, "1.2E15");
    EXPECT_EQ(fmt(make(0, 0, "")).text, "0");
    EXPECT_EQ(fmt(make(2, 0, "1")).text, "100");
    EXPECT_EQ(fmt(make(13, 0, "12345678901234")).text, "12345678901234");
    EXPECT_EQ(fmt(make(-1, 0, "12345678901234")).text, ".12345678901234");
    EXPECT_EQ(fmt(make(-10, 0, "5")).text, "5E" + kMinus + "10");
    EXPECT_EQ(fmt(make(-99, 1, "15")).text, kMinus + "1.5E" + kMinus + "99");
    EXPECT_EQ(fmt(make(99, 0, "1")).text, "1E99");
}

TEST(NumberFormatExamples, ComplexPairs) {
    EXPECT_EQ(pair_text(make(0, 4, "3"), make(0, 0, "4")), "3+4i");
    EXPECT_EQ(pair_text(make(0, 4, ""), make(0, 0, "1")), "i");
    EXPECT_EQ(pair_text(make(0, 4, "5"), make(0, 0, "")), "5");
    EXPECT_EQ(pair_text(make(0, 4, ""), make(0, 0, "")), "");
    EXPECT_EQ(pair_text(make(0, 4, "3"), make(0, 1, "4")), "3-4i");
    EXPECT_EQ(pair_text(make(0, 4, "3"), make(0, 1, "1")), "3-i");
    EXPECT_EQ(pair_text(make(0, 4, ""), make(0, 1, "2")), kMinus + "2i");
    EXPECT_EQ(pair_text(make(0, 4, ""), make(0, 1, "1")), kMinus + "i");
    EXPECT_EQ(pair_text(make(0, 5, "25"), make(15, 0, "12")), kMinus + "2.5+1.2E15i");
    // A plain first part still gets a complex second part (mode 4).
    EXPECT_EQ(pair_text(make(0, 0, "7"), make(0, 0, "2")), "7+2i");
    // The pair glyph: the second part keeps the calculator's own sign and gets no "i".
    EXPECT_EQ(pair_text(make(0, 2, "1"), make(0, 1, "2")), "1" + kPair + kMinus + "2");
}

TEST(NumberFormatFlags, ReturnedFlags) {
    EXPECT_EQ(fmt(make(0, 0, "1")).flags, 0);
    EXPECT_EQ(fmt(make(0, 1, "1")).flags, 1);
    EXPECT_EQ(fmt(make(0, 4, "1")).flags, 4);
    EXPECT_EQ(fmt(make(0, 4, "")).flags, 12);
    EXPECT_EQ(fmt(make(0, 6, "")).flags, 6);   // "0 <pair> " is not a bare zero
    EXPECT_EQ(fmt(make(0, 5, "")).flags, 13);  // a negative zero is dropped too
    // Bit 3 of a stored number is not passed on: it would claim a dropped zero.
    EXPECT_EQ(fmt(make(0, 8, "1")).flags, 0);
    EXPECT_EQ(fmt(make(0, 15, "")).flags, 7);
}

struct ModeCase {
    int exponent;
    int flags;
    const char* digits;
    std::uint8_t mode;
    std::string text;
};

TEST(NumberFormatFlags, SignAndImaginaryRulesByMode) {
    const std::vector<ModeCase> cases = {
        {0, 0, "2", 0, "2"},
        {0, 1, "2", 0, kMinus + "2"},
        {0, 0, "2", 4, "+2i"},
        {0, 1, "2", 4, "-2i"},
        {0, 0, "2", 12, "2i"},
        {0, 1, "2", 12, kMinus + "2i"},
        {0, 0, "2", 8, "2"},
        {0, 1, "2", 8, kMinus + "2"},
        {0, 0, "1", 4, "+i"},
        {0, 1, "1", 4, "-i"},
        {0, 0, "1", 12, "i"},
        {0, 1, "1", 12, kMinus + "i"},
        {0, 0, "", 4, ""},
        {0, 1, "", 4, ""},
        {0, 0, "", 12, ""},
        {0, 0, "", 0, "0"},
        {0, 1, "", 0, kMinus + "0"},
        {0, 0, "1", 6, "+i"},
        {0, 2, "1", 0, "1" + kPair},
        {0, 3, "1", 0, kMinus + "1" + kPair},
        {0, 2, "1", 4, "+1" + kPair + "i"},
        {0, 2, "", 4, "+0" + kPair + "i"},
        {0, 4, "", 0, ""},
        {0, 4, "3", 0, "3"},
        {0, 4, "", 4, ""},
        {-1, 0, "1", 4, "+.1i"},
        {14, 0, "1", 12, "1E14i"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.digits) + " e" + std::to_string(c.exponent) + " f" +
                     std::to_string(c.flags) + " m" + std::to_string(c.mode));
        EXPECT_EQ(fmt(make(c.exponent, c.flags, c.digits), c.mode).text, c.text);
    }
}

TEST(NumberFormatFlags, EveryFlagAndModeCombinationIsConsistent) {
    const std::vector<std::string> mantissas = {"", "1", "25", "99999999999999"};
    for (const auto& digits : mantissas) {
        for (int flags = 0; flags < 16; ++flags) {
            for (int mode = 0; mode < 16; ++mode) {
                SCOPED_TRACE(digits + " f" + std::to_string(flags) + " m" + std::to_string(mode));
                const auto f = fmt(make(0, flags, digits), static_cast<std::uint8_t>(mode));
                const bool negative = flags & 1;
                const bool second = mode & 4;
                const bool zero_dropped = (flags & 4) && !(flags & 2) && digits.empty();
                EXPECT_EQ(f.flags, (flags & 7) | (zero_dropped ? 8 : 0));
                if (zero_dropped || (second && digits.empty() && !(flags & 2))) {
                    EXPECT_EQ(f.text, "");
                    continue;
                }
                ASSERT_FALSE(f.text.empty());
                // The sign leads; the calculator's glyph unless the value is a signed second part.
                const bool ascii_sign = second && !(mode & 8);
                if (negative) {
                    EXPECT_EQ(f.text.substr(0, 1), ascii_sign ? "-" : kMinus);
                } else if (ascii_sign) {
                    EXPECT_EQ(f.text.substr(0, 1), "+");
                } else {
                    EXPECT_NE(f.text[0], '+');
                }
                EXPECT_EQ(f.text.find(kPair) != std::string::npos, (flags & 2) != 0);
                EXPECT_EQ(f.text.back() == 'i', second);
            }
        }
    }
}

// The text read back as a value: the calculator's minus glyph and "E" replaced by C syntax.
long double parse_text(const std::string& text) {
    std::string c;
    for (char ch : text) {
        c += ch == kMinus[0] ? '-' : ch;
    }
    return std::strtold(c.c_str(), nullptr);
}

long double exact_value(int exponent, const std::string& digits) {
    long double v = 0;
    for (char d : digits) {
        v = v * 10 + (d - '0');
    }
    return v * std::pow(10.0L, exponent - 13);
}

TEST(NumberFormatRange, WholeExponentRange) {
    const std::vector<std::string> mantissas = {
        "10000000000000", "12345678901234", "99999999999999", "00000000000000",
        "50000000000005", "00000000000001", "99999999999995", "10000000000009",
    };
    for (int code = 0; code < 1000; ++code) {
        const int e = code > 100 ? code - 1000 : code;
        for (int negative = 0; negative < 2; ++negative) {
            for (const auto& digits : mantissas) {
                SCOPED_TRACE("code " + std::to_string(code) + " " + digits);
                const auto n = make_code(code, negative, digits);
                ASSERT_EQ(travex::number_exponent(n), e);
                const std::string text = fmt(n).text;
                const std::string sign = negative ? kMinus : "";
                if (e > 99 || e < -99) {
                    EXPECT_EQ(text, sign);
                    continue;
                }
                ASSERT_EQ(text.substr(0, sign.size()), sign);
                const std::string body = text.substr(sign.size());
                ASSERT_FALSE(body.empty());
                const bool scientific = e > 13 || e < -9;
                EXPECT_EQ(body.find('E') != std::string::npos, scientific);
                const std::string mantissa = body.substr(0, body.find('E'));
                if (mantissa.find('.') != std::string::npos) {
                    EXPECT_NE(mantissa.back(), '0');
                }
                EXPECT_NE(mantissa.back(), '.');
                if (scientific) {
                    const std::string exp_text = body.substr(body.find('E') + 1);
                    EXPECT_EQ(exp_text, (e < 0 ? kMinus : "") + std::to_string(std::abs(e)));
                    EXPECT_EQ(mantissa[0], digits[0]);
                }
                // The value read back: exact, or within half a unit of the 14th place after
                // the point where fixed notation cuts digits off.
                const long double want = exact_value(e, digits) * (negative ? -1 : 1);
                const long double got = parse_text(text);
                const long double tolerance =
                    std::fabs(want) * 1e-17L + (!scientific && e < -1 ? 0.5e-14L : 0.0L);
                EXPECT_LE(std::fabs(got - want), tolerance) << text;
            }
        }
    }
}

TEST(NumberFormatRange, FixedNotationRounding) {
    // Beyond 14 places after the point the first digit left out rounds half up.
    EXPECT_EQ(fmt(make(-2, 0, "12345678901234")).text, ".01234567890123");
    EXPECT_EQ(fmt(make(-2, 0, "12345678901235")).text, ".01234567890124");
    EXPECT_EQ(fmt(make(-2, 0, "99999999999995")).text, ".1");
    EXPECT_EQ(fmt(make(-2, 0, "99999999999994")).text, ".09999999999999");
    EXPECT_EQ(fmt(make(-9, 1, "12345675")).text, kMinus + ".00000000123457");
    EXPECT_EQ(fmt(make(-9, 0, "00000049")).text, "0");
    EXPECT_EQ(fmt(make(-9, 0, "00000050")).text, ".00000000000001");
    // All 14 digits fit when the exponent is -1: nothing is rounded.
    EXPECT_EQ(fmt(make(-1, 0, "99999999999999")).text, ".99999999999999");
}

TEST(NumberFormatRange, RoundingCarryPastTheFirstDigit) {
    // When every written digit is a nine the carry becomes a new integer digit: .99..9|5 is 1.
    using travex::number_format_detail::round_up_last_place;
    std::string text = ".99999999999999";
    round_up_last_place(text);
    EXPECT_EQ(text, "1.00000000000000");
    text = ".0999";
    round_up_last_place(text);
    EXPECT_EQ(text, ".1000");
    text = "9.99";
    round_up_last_place(text);
    EXPECT_EQ(text, "10.00");
    text = ".123";
    round_up_last_place(text);
    EXPECT_EQ(text, ".124");
}

TEST(NumberFormatRange, ZeroMantissaBelowOneReadsZero) {
    EXPECT_EQ(fmt(make(-5, 0, "")).text, "0");
    EXPECT_EQ(fmt(make(-5, 1, "")).text, kMinus + "0");
    EXPECT_EQ(fmt(make(-5, 4, "")).flags, 12);
}

TEST(NumberFormatRange, ExponentBoundaries) {
    EXPECT_EQ(fmt(make_code(100, 0, "1")).text, "");
    EXPECT_EQ(fmt(make_code(101, 0, "1")).text, "");
    EXPECT_EQ(fmt(make_code(900, 0, "1")).text, "");
    EXPECT_EQ(fmt(make_code(901, 0, "1")).text, "1E" + kMinus + "99");
    EXPECT_EQ(fmt(make_code(990, 0, "1")).text, "1E" + kMinus + "10");
    EXPECT_EQ(fmt(make_code(991, 0, "1")).text, ".000000001");
    EXPECT_EQ(fmt(make_code(999, 0, "1")).text, ".1");
    EXPECT_EQ(fmt(make_code(13, 0, "1")).text, "10000000000000");
    EXPECT_EQ(fmt(make_code(14, 0, "1")).text, "1E14");
    // Out-of-range values keep their sign, pair and complex handling but write no digits.
    EXPECT_EQ(fmt(make_code(500, 3, "1")).text, kMinus + kPair);
    EXPECT_EQ(fmt(make_code(500, 0, "1"), 4).text, "+");
}

TEST(NumberFormatRange, NonDecimalNibblesWriteNoDigits) {
    auto n = make(0, 0, "25");
    n[0] = 0x0A;  // tens digit of the exponent not decimal
    EXPECT_EQ(travex::number_exponent(n), std::nullopt);
    EXPECT_EQ(fmt(n).text, "");
    n = make(0, 1, "25");
    n[1] = 0xF1;
    EXPECT_EQ(fmt(n).text, kMinus);
    n = make(0, 0, "25");
    n[8] = 0x0B;  // last mantissa digit
    EXPECT_EQ(fmt(n).text, "");
    n = make(0, 4, "");
    n[5] = 0xC0;
    EXPECT_EQ(fmt(n).flags, 4);  // not a zero, so nothing is dropped
    // Text is appended, never replacing what the caller already has.
    std::string out = "x";
    format_number(make(0, 0, "25"), out, 0);
    EXPECT_EQ(out, "x2.5");
}

}  // namespace
