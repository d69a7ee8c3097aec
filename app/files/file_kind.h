#pragma once
// The kind of a file as the Open command, the editor and printing see it, from its name alone.
#include <optional>
#include <string_view>

namespace travex {

enum class FileKind : int {
    none = 0,
    program = 1,
    slide_show = 2,
    picture = 3,
    list = 4,
    list_database = 5,
    matrix = 6,
    table_setup = 7,
    window_setup = 8,
    data_variable = 9,
    zoom = 10,
    text = 11,
    bitmap = 12,
    screen_image = 13,
};

// The kind of a file name or path under the running model: calculator extensions with the
// digits 6 and 4 (".g6p", ".G4P", ...), ".txt", ".bmp", compared without regard to case; a
// name without any '.' whose first 11 characters match "Screen image" is a screen image.
// Anything else is FileKind::none.
FileKind file_kind_of(std::string_view path);

// A short English name of a kind ("program", "list database", "screen image", "none").
std::string_view file_kind_name(FileKind kind);

// The lower-case type letter the header of a file of this kind must carry, or nullopt for
// kinds without a calculator file header.
std::optional<char> header_letter_of_kind(FileKind kind);

}  // namespace travex
