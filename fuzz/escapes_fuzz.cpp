// Decoding arbitrary text files and encoding the result again: no crash, and encoding then
// decoding a decoded text gives it back whenever it holds no '@' and only named glyph bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/charset.h"
#include "codec/escapes.h"
#include "fuzz_check.h"

namespace {

// Whether encoding keeps every byte: no '@', and every glyph byte without a name inside one of
// the two sequences with escapes of their own, as the encoder finds them from left to right
// (in "x" 0xCF "yint" 0xB6 the "i" belongs to the first, so the 0xB6 has no escape).
bool round_trips(std::string_view text) {
    constexpr std::string_view kIntDiv = "int\xB6";
    constexpr std::string_view kXyi = "x\xCFyi";
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.substr(i, kIntDiv.size()) == kIntDiv || text.substr(i, kXyi.size()) == kXyi) {
            i += 4;
            continue;
        }
        const auto byte = static_cast<std::uint8_t>(text[i++]);
        if (byte == '@' || (byte >= 0x80 && travex::glyph_name(byte).empty())) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = travex::decode_escapes(text);
    const std::string encoded = travex::encode_escapes(decoded);
    travex::fuzz::fail_if(round_trips(decoded) && travex::decode_escapes(encoded) != decoded);
    return 0;
}
