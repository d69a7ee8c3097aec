#pragma once
// The calculator's 9-byte decimal number and its text form.
//
// Byte 0 holds the exponent's hundreds and tens digits, byte 1 its units digit (high nibble) and
// the flag nibble (low nibble); bytes 2..8 hold 14 mantissa digits, high nibble first. The value
// is d0.d1d2...d13 x 10^exponent. The three exponent digits form 0..999; a value above 100
// stands for that value minus 1000 (999 is -1, 901 is -99).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace travex {

inline constexpr std::size_t kNumberBytes = 9;
inline constexpr std::size_t kMantissaDigits = 14;

// Flag bits of a number (low nibble of byte 1), also used as the formatter's mode and result.
inline constexpr std::uint8_t kNumberNegative = 0x01;
// The number is the first part of a pair written with the glyph 0xB8 between the parts.
inline constexpr std::uint8_t kNumberPairFirst = 0x02;
// The number is the first part of a complex pair; in a mode: the value is a second part.
inline constexpr std::uint8_t kNumberComplexFirst = 0x04;
// Only in returned flags and modes: a zero first part was dropped from the text.
inline constexpr std::uint8_t kNumberZeroDropped = 0x08;

// Calculator glyphs the formatter writes.
inline constexpr char kNegativeSignGlyph = static_cast<char>(0x9A);
inline constexpr char kPairGlyph = static_cast<char>(0xB8);

using NumberBytes = std::span<const std::uint8_t, kNumberBytes>;

// The signed exponent, or nullopt when one of its three digits is not decimal.
std::optional<int> number_exponent(NumberBytes number);

// Appends the text of number to out and returns the number's flags (bits 0..2), plus
// kNumberZeroDropped when a zero first part of a complex pair was left out.
//
// mode is 0 for a stand-alone value or a first part; for a second part it is
// second_part_mode() of the first part's result.
//
// A number with a non-decimal digit (nibble A..F) in its exponent or mantissa is not a
// calculator value: it is treated like an exponent out of range and writes no digits, while
// the sign, pair and complex rules still apply. Out-of-range exponents (above 99 or below -99)
// write no digits either.
std::uint8_t format_number(NumberBytes number, std::string& out, std::uint8_t mode);

// The mode for the second part of a pair: the first part's returned flags when they have any
// of bits 1..3, else kNumberComplexFirst (so a plain first part still gets a complex second).
inline std::uint8_t second_part_mode(std::uint8_t first_flags) {
    return (first_flags & 0x0E) != 0 ? first_flags : kNumberComplexFirst;
}

// True when a second part follows a first part that returned first_flags in a list.
inline bool has_second_part(std::uint8_t first_flags) {
    return (first_flags & 0x0E) != 0;
}

namespace number_format_detail {

// Rounds the fixed-notation text ".ddd...d" (optionally with integer digits before the point)
// up by one unit in its last place. Nines carry leftwards over the point; a carry out of the
// first digit becomes a new leading "1" (".999" becomes "1.000").
void round_up_last_place(std::string& digits);

}  // namespace number_format_detail

}  // namespace travex
