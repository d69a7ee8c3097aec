// Arbitrary 9-byte numbers in every mode: the formatter stays within its text bounds and behaves
// the same way twice.
#include <algorithm>
#include <string>

#include "codec/number_format.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < travex::kNumberBytes + 1) {
        return 0;
    }
    std::array<std::uint8_t, travex::kNumberBytes> number{};
    std::copy_n(data, number.size(), number.begin());
    const auto mode = static_cast<std::uint8_t>(data[travex::kNumberBytes] & 0x0F);
    std::string first;
    std::string second;
    const std::uint8_t flags = travex::format_number(number, first, mode);
    // Sign, up to 15 digits with a point (one more after a rounding carry), "E", exponent
    // sign and two digits, the pair glyph with its spaces, and "i".
    travex::fuzz::fail_if(travex::format_number(number, second, mode) != flags || first != second ||
                          first.size() > 26 || (flags & 0xF0) != 0);
    return 0;
}
