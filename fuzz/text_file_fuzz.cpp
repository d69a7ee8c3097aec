// Whole file images opened as text under every kind: header checks, exports, the detokenizer
// and escape decoding on arbitrary bytes, with the converted-text limit kept and every line break
// of an opened text a CR LF pair.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codec/text_limits.h"
#include "files/text_file.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the kind and the extension digit; the rest is the file.
    const auto kind = static_cast<travex::FileKind>(data[0] % 14);
    const char digit = (data[0] & 0x80) != 0 ? '4' : '6';
    const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
    const travex::OpenTextResult result = travex::convert_to_text(kind, digit, file);
    travex::fuzz::fail_if(result.ok() && (result.opened.text.size() > travex::kMaxConvertedText ||
                                          result.opened.title.size() > travex::kTitleSize));
    const std::string_view text = result.opened.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = text.substr(i, 2) == "\r\n";
        travex::fuzz::fail_if((text[i] == '\r' && !pair) ||
                              (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')));
    }
    return 0;
}
