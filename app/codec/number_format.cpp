#include "codec/number_format.h"

#include <array>
#include <string_view>

namespace travex {

namespace {

constexpr int kFirstFixedExponent = -9;
constexpr int kLastFixedExponent = 13;
constexpr int kLargestExponentMagnitude = 99;

std::uint8_t flag_nibble(NumberBytes number) {
    return static_cast<std::uint8_t>(number[1] & 0x0F);
}

// The 14 mantissa digits as characters, or nullopt when a nibble is not decimal.
std::optional<std::array<char, kMantissaDigits>> mantissa_digits(NumberBytes number) {
    std::array<char, kMantissaDigits> digits{};
    for (std::size_t i = 0; i < kMantissaDigits; ++i) {
        const std::uint8_t byte = number[2 + i / 2];
        const int nibble = (i % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        if (nibble > 9) {
            return std::nullopt;
        }
        digits[i] = static_cast<char>('0' + nibble);
    }
    return digits;
}

// Removes trailing zeros after the point, then a point left at the end. A text that has no
// digit left (a zero mantissa below 1) reads "0" rather than a bare point.
void trim_fraction(std::string& text) {
    if (text.find('.') == std::string::npos) {
        return;
    }
    while (!text.empty() && text.back() == '0') {
        text.pop_back();
    }
    if (!text.empty() && text.back() == '.') {
        text.pop_back();
    }
    if (text.empty()) {
        text.push_back('0');
    }
}

std::string fixed_text(const std::array<char, kMantissaDigits>& digits, int exponent) {
    std::string text;
    if (exponent >= 0) {
        const auto integer_digits = static_cast<std::size_t>(exponent + 1);
        std::size_t first = 0;
        while (first + 1 < integer_digits && digits[first] == '0') {
            ++first;
        }
        text.append(digits.begin() + static_cast<std::ptrdiff_t>(first),
                    digits.begin() + static_cast<std::ptrdiff_t>(integer_digits));
        text.push_back('.');
        text.append(digits.begin() + static_cast<std::ptrdiff_t>(integer_digits), digits.end());
    } else {
        const auto zeros = static_cast<std::size_t>(-exponent - 1);
        const std::size_t written = kMantissaDigits - zeros;
        text.push_back('.');
        text.append(zeros, '0');
        text.append(digits.begin(), digits.begin() + static_cast<std::ptrdiff_t>(written));
        // Only 14 places after the point are shown: the first digit left out rounds half up.
        // A digit is left out only when a zero stands before the mantissa, and that zero takes
        // any carry; the carry into a new integer digit (".99..9" up to "1") is decided in
        // round_up_last_place all the same, so no rounding can ever spill into the sign.
        if (written < kMantissaDigits && digits[written] >= '5') {
            number_format_detail::round_up_last_place(text);
        }
    }
    trim_fraction(text);
    return text;
}

std::string scientific_text(const std::array<char, kMantissaDigits>& digits, int exponent) {
    std::string text;
    text.push_back(digits[0]);
    text.push_back('.');
    text.append(digits.begin() + 1, digits.end());
    trim_fraction(text);
    text.push_back('E');
    if (exponent < 0) {
        text.push_back(kNegativeSignGlyph);
    }
    text.append(std::to_string(exponent < 0 ? -exponent : exponent));
    return text;
}

// The digits of the number without its sign; empty when the number has no text form.
std::string unsigned_text(NumberBytes number) {
    const std::optional<int> exponent = number_exponent(number);
    const auto digits = mantissa_digits(number);
    if (!exponent || !digits) {
        return {};
    }
    const int e = *exponent;
    if (e >= kFirstFixedExponent && e <= kLastFixedExponent) {
        return fixed_text(*digits, e);
    }
    if (e >= -kLargestExponentMagnitude && e <= kLargestExponentMagnitude) {
        return scientific_text(*digits, e);
    }
    return {};
}

}  // namespace

namespace number_format_detail {

void round_up_last_place(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        char& c = digits[i];
        if (c == '.') {
            continue;
        }
        if (c == '9') {
            c = '0';
            continue;
        }
        ++c;
        return;
    }
    // Every digit was a nine: the carry becomes a new leading digit, so .99...9 rounds to 1.
    digits.insert(digits.begin(), '1');
}

}  // namespace number_format_detail

std::optional<int> number_exponent(NumberBytes number) {
    const int hundreds = number[0] >> 4;
    const int tens = number[0] & 0x0F;
    const int units = number[1] >> 4;
    if (hundreds > 9 || tens > 9 || units > 9) {
        return std::nullopt;
    }
    const int value = hundreds * 100 + tens * 10 + units;
    return value > 100 ? value - 1000 : value;
}

std::uint8_t format_number(NumberBytes number, std::string& out, std::uint8_t mode) {
    const std::uint8_t flags = flag_nibble(number);
    const bool negative = (flags & kNumberNegative) != 0;
    const bool second_part = (mode & kNumberComplexFirst) != 0;
    const bool after_dropped_zero = (mode & kNumberZeroDropped) != 0;
    std::uint8_t result = flags & (kNumberNegative | kNumberPairFirst | kNumberComplexFirst);

    // The sign: the calculator's minus glyph for a value of its own, an ASCII sign between the
    // parts of a complex pair (none after a dropped zero first part, which leaves the second
    // part to stand alone).
    std::string sign;
    if (negative) {
        sign = (!second_part || after_dropped_zero) ? std::string(1, kNegativeSignGlyph) : "-";
    } else if (second_part && !after_dropped_zero) {
        sign = "+";
    }

    std::string body = unsigned_text(number);
    if ((flags & kNumberPairFirst) != 0) {
        body += ' ';
        body += kPairGlyph;
        body += ' ';
    }
    std::string text = sign + body;
    if ((flags & kNumberComplexFirst) != 0 && body == "0") {
        text.clear();
        body.clear();
        result |= kNumberZeroDropped;
    }
    if (second_part && !body.empty()) {
        // The imaginary part: nothing for 0, "i" alone for 1, else the digits and "i".
        if (body == "0") {
            text.clear();
        } else if (body == "1") {
            text = sign + "i";
        } else {
            text += 'i';
        }
    }
    out += text;
    return result;
}

}  // namespace travex
