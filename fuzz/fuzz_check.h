#pragma once
// A fuzz target stops at the first broken promise; libFuzzer keeps the input that broke it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace travex::fuzz {

inline void fail_if(bool broken) {
    if (broken) {
        std::abort();
    }
}

inline std::string_view text_of(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace travex::fuzz
