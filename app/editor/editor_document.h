#pragma once
// What a program editor window holds and how it is read from and written to a file, apart from
// the window itself: the untitled name, loading a program, data or text file as calculator
// text, and saving the text as a program file or a plain text file.
#include <cstdint>
#include <string>
#include <string_view>
#include "base/message_id.h"

#include "base/file_system.h"
#include "files/calc_file.h"
#include "files/file_kind.h"
#include "files/program_lines.h"

namespace travex {

// "The program is too long to be saved; nothing was written."

// "UNTITLE%d.G%1dP": UNTITLE1.G6P, UNTITLE2.G6P, ...
std::string untitled_name(int counter, char model_digit);

// True when the path's first 7 characters are "UNTITLE" in any case.
bool is_untitled_path(std::string_view path);

struct EditorContent {
    FileKind kind = FileKind::none;
    std::string title;           // header text from byte 13, up to 40 bytes; empty for text files
    ItemName calculator_name{};  // header bytes 2-12; zero for text files
    std::string text;            // calculator text
    ProgramLines lines;          // a program's lines as opened: their tokens and texts
};

struct EditorLoad {
    MessageId message =
        MessageId::none;  // none, or the message to show (the new window is then closed)
    EditorContent content;
};

// Loads a file into an editor: 415 for a name or header of the wrong kind, 410 when the file
// cannot be read, 421 for a data file without data, MessageId::text_too_large for a text beyond
// the converted-text limit.
EditorLoad load_editor_file(FileSystem& fs, const std::string& path);

struct EditorSave {
    std::string_view title;      // the title box's text (at most 40 bytes)
    ItemName calculator_name{};  // the window's name field; used when keep_name is set
    bool keep_name = false;      // Save keeps the name field, Save As takes it from the path
    std::string_view text;       // the text box's calculator text
    // The lines of the program as opened (or last saved): unchanged lines keep their token
    // bytes. A successful program save replaces them with the lines just saved.
    ProgramLines* lines = nullptr;
};

// Saves the window's text to path: a program file when the path names a program (tokens,
// header, trailer), otherwise a plain text file with @name@ escapes. Returns 0 or the message
// id: 428 for a path of 256 characters or more, 419 when the volume lacks the converted length
// plus 94 bytes, 427 when the file cannot be written, MessageId::program_too_long when the program
// could not be stored or reopened whole. Nothing is written on any failure, and a failed write
// never destroys the file already there.
MessageId save_editor_file(FileSystem& fs, const std::string& path, const EditorSave& save);

}  // namespace travex
