#pragma once
// A fuzz target stops at the first broken promise; libFuzzer keeps the input that broke it.
#include <cstdlib>

namespace travex::fuzz {

inline void fail_if(bool broken) {
    if (broken) {
        std::abort();
    }
}

}  // namespace travex::fuzz
