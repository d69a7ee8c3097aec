#include "codec/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <tuple>

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
