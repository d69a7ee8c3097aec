#include "codec/number_text.h"

namespace travex {
namespace {

constexpr int kLargestExponent = 99;

int nibble(const NumberValue& number, std::size_t digit) {
    const std::uint8_t byte = number[2 + digit / 2];
    return digit % 2 == 0 ? byte >> 4 : byte & 0x0F;
}

}  // namespace

std::optional<std::string> exact_number_text(const NumberValue& number) {
    const std::uint8_t flags = number[1] & 0x0F;
    if ((flags & ~kNumberNegative) != 0) {
        return std::nullopt;
    }
    const auto exponent = number_exponent(NumberBytes(number.data(), kNumberBytes));
    if (!exponent || *exponent < -kLargestExponent || *exponent > kLargestExponent) {
        return std::nullopt;
    }
    std::string digits;
    for (std::size_t i = 0; i < kMantissaDigits; ++i) {
        const int d = nibble(number, i);
        if (d > 9) {
            return std::nullopt;
        }
        digits.push_back(static_cast<char>('0' + d));
    }
    // Built by appending: GCC 12's restrict check misreads chains of string concatenation.
    std::string text;
    if ((flags & kNumberNegative) != 0) {
        text.push_back('-');
    }
    if (digits.find_first_not_of('0') == std::string::npos) {
        if (*exponent != 0) {
            return std::nullopt;
        }
        text.push_back('0');
        return text;
    }
    if (digits[0] == '0') {
        return std::nullopt;
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    const int e = *exponent;
    if (e >= 15 || e <= -8) {
        text.push_back(digits[0]);
        if (digits.size() > 1) {
            text.push_back('.');
            text.append(digits, 1);
        }
        text.append(e < 0 ? "E-" : "E+");
        text.append(std::to_string(e < 0 ? -e : e));
        return text;
    }
    if (e < 0) {
        text.append("0.");
        text.append(static_cast<std::size_t>(-e - 1), '0');
        text.append(digits);
        return text;
    }
    const auto whole = static_cast<std::size_t>(e) + 1;
    if (digits.size() <= whole) {
        text.append(digits);
        text.append(whole - digits.size(), '0');
        return text;
    }
    text.append(digits, 0, whole);
    text.push_back('.');
    text.append(digits, whole);
    return text;
}

NumberFromText number_from_text(std::string_view text) {
    NumberFromText result;
    std::size_t at = 0;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::string digits;  // every mantissa digit, leading zeros included
    long point = -1;     // digits before the point, -1 when there is none
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
        } else if (c == '.' && point < 0) {
            point = static_cast<long>(digits.size());
        } else {
            break;
        }
    }
    if (digits.empty()) {
        result.error = NumberTextError::malformed;
        return result;
    }
    long exponent_part = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        bool exponent_negative = false;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            exponent_negative = text[at] == '-';
            ++at;
        }
        const std::size_t first = at;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
            // Past a few digits the value is out of range whatever the mantissa is.
            if (exponent_part < 100000) {
                exponent_part = exponent_part * 10 + (text[at] - '0');
            }
        }
        if (at == first) {
            result.error = NumberTextError::malformed;
            return result;
        }
        if (exponent_negative) {
            exponent_part = -exponent_part;
        }
    }
    if (at != text.size()) {
        result.error = NumberTextError::malformed;
        return result;
    }
    if (point < 0) {
        point = static_cast<long>(digits.size());
    }
    const std::size_t lead = digits.find_first_not_of('0');
    NumberValue& value = result.value;
    if (lead == std::string::npos) {
        value[1] = negative ? kNumberNegative : 0;
        return result;
    }
    // d0.d1d2... x 10^exponent with d0 the first digit that is not zero.
    long exponent = point - static_cast<long>(lead) - 1 + exponent_part;
    std::string mantissa = digits.substr(lead);
    if (mantissa.size() > kMantissaDigits) {
        const bool round_up = mantissa[kMantissaDigits] >= '5';
        mantissa.resize(kMantissaDigits);
        if (round_up) {
            std::size_t i = kMantissaDigits;
            while (i > 0 && mantissa[i - 1] == '9') {
                mantissa[--i] = '0';
            }
            if (i == 0) {
                mantissa.insert(mantissa.begin(), '1');
                mantissa.pop_back();
                ++exponent;
            } else {
                ++mantissa[i - 1];
            }
        }
    }
    mantissa.resize(kMantissaDigits, '0');
    if (exponent < -kLargestExponent || exponent > kLargestExponent) {
        result.error = NumberTextError::out_of_range;
        return result;
    }
    const long stored = exponent < 0 ? 1000 + exponent : exponent;
    value[0] = static_cast<std::uint8_t>((stored / 100) << 4 | (stored / 10) % 10);
    value[1] = static_cast<std::uint8_t>((stored % 10) << 4 | (negative ? kNumberNegative : 0));
    for (std::size_t i = 0; i < kMantissaDigits; i += 2) {
        value[2 + i / 2] =
            static_cast<std::uint8_t>((mantissa[i] - '0') << 4 | (mantissa[i + 1] - '0'));
    }
    return result;
}

ValueFromText value_from_text(std::string_view text) {
    ValueFromText result;
    if (text.empty() || text.back() != 'i') {
        const NumberFromText real = number_from_text(text);
        result.error = real.error;
        result.first = real.value;
        return result;
    }
    const std::string_view body = text.substr(0, text.size() - 1);
    // The imaginary part starts at the last sign that is neither the first character nor the
    // sign of an exponent.
    std::size_t split = std::string_view::npos;
    for (std::size_t i = body.size(); i-- > 1;) {
        if ((body[i] == '+' || body[i] == '-') && body[i - 1] != 'e' && body[i - 1] != 'E') {
            split = i;
            break;
        }
    }
    std::string_view real_text = split == std::string_view::npos ? "0" : body.substr(0, split);
    std::string imaginary_text(split == std::string_view::npos ? body : body.substr(split));
    if (imaginary_text.empty() || imaginary_text == "+" || imaginary_text == "-") {
        imaginary_text += "1";
    }
    const NumberFromText real = number_from_text(real_text);
    const NumberFromText imaginary = number_from_text(imaginary_text);
    result.error = real.error != NumberTextError::none ? real.error : imaginary.error;
    result.first = real.value;
    result.imaginary = imaginary.value;
    return result;
}

}  // namespace travex
