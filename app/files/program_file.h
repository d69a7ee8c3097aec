#pragma once
// The program file as the editor reads and writes it: a 54-byte calculator file header, then the
// token bytes. Only the header fields a program editor needs are handled here.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "files/calc_file.h"

namespace travex {

inline constexpr std::size_t kProgramHeaderSize = 54;
inline constexpr std::size_t kHeaderTitleSize = 40;

// The token body of a program file, or nullopt when the file is shorter than its header or its
// type letter (byte 1) is not 'p' or 'P'.
std::optional<std::string_view> program_body(std::string_view file);

enum class ProgramFileError { none, file_name_too_short, title_too_long };

struct ProgramFile {
    std::string bytes;
    ProgramFileError error = ProgramFileError::none;
};

// A program file as the editor saves it under file_name (a path; only the part after the last
// '\' or '/' counts): byte 0 and 1 are the last two characters of that name (model digit and
// type letter), bytes 2..12 the name up to its first '.', at most 8 characters, zero-padded;
// bytes 13..52 the title, zero-padded; byte 53 zero. Then the tokens and the trailer 0xFD 0xFF.
// The trailer's 0xFD is the program's last line break and opens as one: when the tokens already
// end with a line break (the text ended with one), that break is the trailer's, so a program
// saved, opened and saved again keeps its bytes instead of growing an empty line each time.
// A name of fewer than two characters or a title longer than 40 bytes is refused.
ProgramFile make_program_file(std::string_view file_name, std::string_view title,
                              std::string_view tokens);

// The same with the header's name field given rather than taken from file_name: saving a
// program under its own path keeps the name it was opened with.
ProgramFile make_program_file(std::string_view file_name, const ItemName& name,
                              std::string_view title, std::string_view tokens);

}  // namespace travex
