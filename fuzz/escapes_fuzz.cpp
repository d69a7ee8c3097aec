// Decoding arbitrary text files and encoding the result again: no crash, and encoding then
// decoding a decoded text gives it back whenever it holds no '@' and only named glyph bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "codec/charset.h"
#include "codec/escapes.h"

namespace {

bool round_trips(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(text[i]);
        if (byte == '@') {
            return false;
        }
        if (byte >= 0x80 && travex::glyph_name(byte).empty()) {
            // Only the two sequences with escapes of their own keep unnamed glyphs.
            const bool intdiv = byte == 0xB6 && i >= 3 && text.substr(i - 3, 3) == "int";
            const bool xyi = byte == 0xCF && i >= 1 && text.substr(i - 1, 4) == "x\xCFyi";
            if (!intdiv && !xyi) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = travex::decode_escapes(text);
    const std::string encoded = travex::encode_escapes(decoded);
    if (round_trips(decoded) && travex::decode_escapes(encoded) != decoded) {
        std::abort();
    }
    return 0;
}
