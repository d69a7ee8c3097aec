#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace travex {

// Calculator text and file images are byte strings; these views convert between the byte
// vector used for file contents and the std::string used for calculator text.
using Bytes = std::vector<std::uint8_t>;

inline Bytes to_bytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline std::string to_string(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace travex
