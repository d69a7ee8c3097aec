#pragma once
// What File > Open does with a chosen file: which window opens it, or which message refuses it.
#include <cstdint>

#include "files/file_kind.h"

namespace travex {

enum class OpenAction {
    editor,            // programs, text files and data files open in a program editor
    slide_show,        // a slide show window
    screen_image,      // a picture file or bitmap in a screen image window
    refuse_no_data,    // message 421: a data file of 62 bytes or less
    refuse_unreadable  // message 415: no kind the application opens
};

OpenAction open_action(FileKind kind, std::uint64_t file_size);

}  // namespace travex
