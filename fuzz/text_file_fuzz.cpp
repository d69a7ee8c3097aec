// Whole file images opened as text under every kind: the converted-text limit is kept and every
// line break of an opened text is a CR LF pair.
#include "codec/text_limits.h"
#include "files/text_file.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    // The first byte picks the kind and the extension digit; the rest is the file.
    const auto result = travex::convert_to_text(static_cast<travex::FileKind>(data[0] % 14),
                                                (data[0] & 0x80) != 0 ? '4' : '6',
                                                travex::fuzz::text_of(data + 1, size - 1));
    const std::string_view text = result.opened.text;
    travex::fuzz::fail_if(result.ok() && (text.size() > travex::kMaxConvertedText ||
                                          result.opened.title.size() > travex::kTitleSize));
    for (std::size_t i = 0; i < text.size(); ++i) {
        travex::fuzz::fail_if((text[i] == '\r' && text.substr(i, 2) != "\r\n") ||
                              (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')));
    }
    return 0;
}
