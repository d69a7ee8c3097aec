// Detokenizing arbitrary token bytes: no read beyond the input, the checked form agrees with the
// plain one, and the text of a program reads back to the same text after one save.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "codec/detokenizer.h"
#include "codec/tokenizer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> tokens(data, size);
    const std::string text = travex::detokenize(tokens);
    const auto checked = travex::detokenize_checked(tokens);
    if (checked ? *checked != text : text.size() <= travex::kMaxConvertedText) {
        std::abort();
    }
    // Saving the text and opening it again keeps whatever the first save made of it.
    const std::string saved = travex::tokenize(text);
    const std::string reopened = travex::detokenize(
        std::span(reinterpret_cast<const std::uint8_t*>(saved.data()), saved.size()));
    const std::string saved_again = travex::tokenize(reopened);
    if (travex::detokenize(std::span(reinterpret_cast<const std::uint8_t*>(saved_again.data()),
                                     saved_again.size())) != reopened) {
        std::abort();
    }
    return 0;
}
