#pragma once
// The 11-byte name field of a file header filled from a path (a program saved under a new
// name, a slide show copy).
#include <string_view>

#include "files/calc_file.h"

namespace travex {

// The text after the last '\' or '/'; if it holds a '.', the characters before the first '.',
// at most 8; otherwise its first 8 characters; the rest of the 11 bytes is zero.
ItemName name_field_from_path(std::string_view path);

}  // namespace travex
