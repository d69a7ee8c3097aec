// Tokenizing arbitrary text: every character is consumed, no zero byte is written, no line holds
// more than 160 token bytes, and the checked form agrees with the plain one.
#include <string>

#include "codec/token_tables.h"
#include "codec/tokenizer.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using travex::fuzz::fail_if;
    const std::string_view text = travex::fuzz::text_of(data, size);
    const std::string tokens = travex::tokenize(text);
    std::size_t line = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(tokens[i]);
        const std::size_t width = travex::is_two_byte_prefix(byte) ? 2 : 1;
        line = byte == travex::kLineBreakToken ? 0 : line + width;
        i += byte == travex::kLineBreakToken ? 0 : width - 1;
        fail_if(byte == 0 || line > travex::kMaxLineTokenBytes || i >= tokens.size());
    }
    const auto checked = travex::tokenize_checked(text);
    fail_if(checked ? *checked != tokens : tokens.size() <= travex::kMaxConvertedText);
    return 0;
}
