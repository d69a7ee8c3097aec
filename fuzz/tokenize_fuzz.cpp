// Tokenizing arbitrary text: every character is consumed, no zero byte is written, no line holds
// more than 160 token bytes, and the checked form agrees with the plain one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/token_tables.h"
#include "codec/tokenizer.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t pos = 0; pos < text.size(); ++pos) {
        const auto match = travex::match_token(text, pos);
        travex::fuzz::fail_if(match.length == 0 || pos + match.length > text.size());
    }
    const std::string tokens = travex::tokenize(text);
    std::size_t line = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(tokens[i]);
        travex::fuzz::fail_if(byte == 0);
        if (byte == travex::kLineBreakToken) {
            line = 0;
            continue;
        }
        const std::size_t width = travex::is_two_byte_prefix(byte) ? 2 : 1;
        line += width;
        i += width - 1;
        travex::fuzz::fail_if(line > travex::kMaxLineTokenBytes || i >= tokens.size());
    }
    const auto checked = travex::tokenize_checked(text);
    travex::fuzz::fail_if(checked ? *checked != tokens
                                  : tokens.size() <= travex::kMaxConvertedText);
    return 0;
}
