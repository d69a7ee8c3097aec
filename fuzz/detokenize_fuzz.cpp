// Detokenizing arbitrary token bytes: the checked form agrees with the plain one, and a program
// opened and saved unchanged keeps its bytes, also after a line is appended.
#include <string>

#include "codec/detokenizer.h"
#include "files/program_lines.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using travex::ProgramLines;
    using travex::fuzz::fail_if;
    const std::string text = travex::detokenize(std::span(data, size));
    const auto checked = travex::detokenize_checked(std::span(data, size));
    fail_if(checked ? *checked != text : text.size() <= travex::kMaxConvertedText);
    const std::string_view body = travex::fuzz::text_of(data, size);
    const std::string saved = ProgramLines::from_tokens(body).tokens_for(text);
    fail_if(travex::detokenize(std::span(reinterpret_cast<const std::uint8_t*>(saved.data()),
                                         saved.size())) != text);
    fail_if(ProgramLines::from_tokens(saved).tokens_for(text) != saved);
    const std::string edited = ProgramLines::from_tokens(body).tokens_for(text + "\r\nEDITED");
    fail_if(edited.compare(0, saved.size(), saved) != 0);
    return 0;
}
