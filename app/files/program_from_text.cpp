#include "files/program_from_text.h"

#include <cstdint>
#include <span>

#include "codec/detokenizer.h"
#include "codec/text_limits.h"
#include "codec/tokenizer.h"
#include "files/program_file.h"

namespace travex {
namespace {

ProgramFromText refused(ProgramFromTextError error) {
    return {{}, error};
}

}  // namespace

ProgramFromText program_file_from_text(std::string_view file_name, const ItemName& name,
                                       std::string_view title, std::string_view text) {
    if (text.size() > kMaxConvertedText) {
        return refused(ProgramFromTextError::text_too_long);
    }
    const auto tokens = tokenize_checked(text);
    if (!tokens) {
        return refused(ProgramFromTextError::tokens_too_long);
    }
    ProgramFile program = make_program_file(file_name, name, title, *tokens);
    switch (program.error) {
        case ProgramFileError::file_name_too_short:
            return refused(ProgramFromTextError::file_name_too_short);
        case ProgramFileError::title_too_long:
            return refused(ProgramFromTextError::title_too_long);
        case ProgramFileError::none:
            break;
    }
    // A saved program must open again whole: its text, with the line break of the 0xFD 0xFF
    // trailer, has to fit the same limit, or the next open would refuse the file.
    const std::string_view body = std::string_view(program.bytes).substr(kHeaderSize);
    if (!detokenize_checked(
            std::span(reinterpret_cast<const std::uint8_t*>(body.data()), body.size()))) {
        return refused(ProgramFromTextError::opens_too_long);
    }
    return {std::move(program.bytes), ProgramFromTextError::none};
}

}  // namespace travex
