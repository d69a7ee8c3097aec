// Decoding arbitrary text files and encoding the result again: encoding then decoding gives a
// decoded text back whenever it holds no '@' and only named glyph bytes.
#include <string>

#include "codec/charset.h"
#include "codec/escapes.h"
#include "fuzz_check.h"

namespace {

// No '@', and every unnamed glyph byte inside one of the two sequences with escapes of their
// own, as the encoder finds them from left to right.
bool round_trips(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (text.substr(i, 4) == "int\xB6" || text.substr(i, 4) == "x\xCFyi") {
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
    const std::string decoded = travex::decode_escapes(travex::fuzz::text_of(data, size));
    const std::string encoded = travex::encode_escapes(decoded);
    travex::fuzz::fail_if(round_trips(decoded) && travex::decode_escapes(encoded) != decoded);
    return 0;
}
