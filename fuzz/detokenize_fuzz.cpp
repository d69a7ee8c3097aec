// Detokenizing arbitrary token bytes: no read beyond the input, the checked form agrees with the
// plain one, and a program opened and saved unchanged keeps its bytes: every line keeps its
// tokens, also those whose text the tokenizer would read as other tokens.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "codec/detokenizer.h"
#include "files/program_lines.h"
#include "fuzz_check.h"

namespace {

std::string text_of(std::string_view tokens) {
    return travex::detokenize(
        std::span(reinterpret_cast<const std::uint8_t*>(tokens.data()), tokens.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> tokens(data, size);
    const std::string text = travex::detokenize(tokens);
    const auto checked = travex::detokenize_checked(tokens);
    travex::fuzz::fail_if(checked ? *checked != text : text.size() <= travex::kMaxConvertedText);
    // The editor's save of the unchanged text: it shows the same text, and opening and saving
    // it again gives the same bytes (no drift from one save to the next).
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const std::string saved = travex::ProgramLines::from_tokens(body).tokens_for(text);
    travex::fuzz::fail_if(text_of(saved) != text);
    travex::fuzz::fail_if(travex::ProgramLines::from_tokens(saved).tokens_for(text) != saved);
    // An edit in one line (a line appended) leaves every other line's bytes as they were.
    const std::string edited =
        travex::ProgramLines::from_tokens(body).tokens_for(text + "\r\nEDITED");
    travex::fuzz::fail_if(edited.compare(0, saved.size(), saved) != 0);
    return 0;
}
