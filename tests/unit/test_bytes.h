#pragma once
// Byte builders shared by the unit tests.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/bytes.h"

namespace travex::testing {

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

// Bytes that differ from their neighbours, so a shifted or dropped byte shows.
inline Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

// A 9-byte calculator number from its exponent (stored as a code 0..999: -1 is 999), flag
// nibble and mantissa digits.
inline Bytes bcd_number(int exponent, int flags, const std::string& digits) {
    const int code = exponent < 0 ? exponent + 1000 : exponent;
    Bytes n(9, 0);
    n[0] = static_cast<std::uint8_t>(((code / 100) << 4) | ((code / 10) % 10));
    n[1] = static_cast<std::uint8_t>(((code % 10) << 4) | flags);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        n[2 + i / 2] |= static_cast<std::uint8_t>((digits[i] - '0') << (i % 2 == 0 ? 4 : 0));
    }
    return n;
}

}  // namespace travex::testing
