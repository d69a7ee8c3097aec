#pragma once
// Token byte helpers shared by the codec, editor and program-line tests.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/detokenizer.h"
#include "codec/token_tables.h"

namespace travex::testing {

inline std::string detok(std::string_view tokens) {
    return detokenize(
        std::span(reinterpret_cast<const std::uint8_t*>(tokens.data()), tokens.size()));
}

// The token bytes of a code (low byte first).
inline std::string token_bytes(std::uint16_t code) {
    std::string out(1, static_cast<char>(code & 0xFF));
    if (is_two_byte_prefix(code & 0xFF)) {
        out.push_back(static_cast<char>(code >> 8));
    }
    return out;
}

// Every code that has a text, in search order.
inline std::vector<std::uint16_t> codes_with_text() {
    std::vector<std::uint16_t> codes;
    for (const auto& table : token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            if (!table.entries[i].empty()) {
                codes.push_back(table.code_of(i));
            }
        }
    }
    return codes;
}

}  // namespace travex::testing
