#pragma once
// A program's calculator text made into a whole program file, as the editor saves a program
// window and `travex-cli tok` converts a text file: tokens, header and trailer, refused as a
// whole when the program could not be stored or opened again in full.
#include <string>
#include <string_view>

#include "files/calc_file.h"

namespace travex {

enum class ProgramFromTextError {
    none,
    text_too_long,        // the text is longer than a converted text may be
    tokens_too_long,      // its tokens are longer than a converted text may be
    opens_too_long,       // the saved file would open as more text than the editor holds
    file_name_too_short,  // the file name has no model digit and type letter
    title_too_long,       // the title is longer than the header's 40 bytes
};

struct ProgramFromText {
    std::string bytes;  // the whole file; empty on any error
    ProgramFromTextError error = ProgramFromTextError::none;
};

// The program file of `text` saved under file_name with the given header name field and title.
ProgramFromText program_file_from_text(std::string_view file_name, const ItemName& name,
                                       std::string_view title, std::string_view text);

}  // namespace travex
