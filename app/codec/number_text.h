#pragma once
// Calculator numbers as exact decimal text and back, for data exchanged with spreadsheets: every
// digit the number holds is written ("0.00012345678901234", "1.5E+20"), so reading the text again
// gives the same nine bytes. Reading rounds to the fourteen digits the calculator holds and
// refuses a magnitude beyond its exponent range.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "codec/number_format.h"

namespace travex {

using NumberValue = std::array<std::uint8_t, kNumberBytes>;

// The exact text of a number whose only flag is the sign, or nullopt when the bytes are no value
// such text can give back: a non-decimal digit, an exponent beyond -99..99, a first digit of zero
// in a value that is not zero, a zero with an exponent, or flags other than the sign.
std::optional<std::string> exact_number_text(const NumberValue& number);

enum class NumberTextError { none, malformed, out_of_range };

struct NumberFromText {
    NumberTextError error = NumberTextError::none;
    NumberValue value{};
};

// Reads "[+|-]digits[.digits][(E|e)[+|-]digits]" (a leading or trailing point allowed, at least
// one digit); -0 keeps its sign.
NumberFromText number_from_text(std::string_view text);

// A list element or matrix cell: a real value, or a complex value "a+bi", "a-bi", "bi", "i".
struct ValueFromText {
    NumberTextError error = NumberTextError::none;
    NumberValue first{};
    std::optional<NumberValue> imaginary;  // set for the complex forms
};
ValueFromText value_from_text(std::string_view text);

}  // namespace travex
