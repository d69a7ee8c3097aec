#include "editor/editor_document.h"

#include <algorithm>

#include "files/name_field.h"
#include "files/program_file.h"
#include "files/program_from_text.h"
#include "files/text_file.h"

namespace travex {
namespace {

char fold_ascii_letter(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The program file trailer 0xFD 0xFF, which is not part of the converted text.
constexpr std::size_t kProgramTrailerSize = 2;

}  // namespace

std::string untitled_name(int counter, char model_digit) {
    return "UNTITLE" + std::to_string(counter) + ".G" + model_digit + "P";
}

bool is_untitled_path(std::string_view path) {
    constexpr std::string_view kUntitled = "UNTITLE";
    return path.size() >= kUntitled.size() &&
           std::equal(kUntitled.begin(), kUntitled.end(), path.begin(),
                      [](char a, char b) { return a == fold_ascii_letter(b); });
}

EditorLoad load_editor_file(FileSystem& fs, const std::string& path) {
    OpenTextResult opened = open_as_text(fs, path);
    EditorLoad load;
    load.message = opened.message;
    if (!opened.ok()) {
        return load;
    }
    load.content.kind = opened.opened.kind;
    load.content.title = std::move(opened.opened.title);
    load.content.calculator_name = opened.opened.name;
    load.content.text = std::move(opened.opened.text);
    return load;
}

MessageId save_editor_file(FileSystem& fs, const std::string& path, const EditorSave& save) {
    if (path_too_long(path)) {
        return MessageId::name_too_long;
    }
    if (file_kind_of(path) != FileKind::program) {
        return save_text_file(fs, path, save.text);
    }
    const ItemName name = save.keep_name ? save.calculator_name : name_field_from_path(path);
    // The title box holds at most the header's 40 bytes.
    const std::string_view title = save.title.substr(0, kHeaderTitleSize);
    const ProgramFromText program = program_file_from_text(path, name, title, save.text);
    switch (program.error) {
        case ProgramFromTextError::none:
            break;
        case ProgramFromTextError::text_too_long:
        case ProgramFromTextError::tokens_too_long:
        case ProgramFromTextError::opens_too_long:
            return MessageId::program_too_long;
        case ProgramFromTextError::file_name_too_short:
        case ProgramFromTextError::title_too_long:
            return MessageId::cannot_create;
    }
    // Room for the converted tokens as stored and the spare that every save asks for.
    const std::size_t tokens = program.bytes.size() - kHeaderSize - kProgramTrailerSize;
    if (!has_free_space(fs, path, tokens + kSaveSpareBytes)) {
        return MessageId::disk_full;
    }
    if (fs.write_file_atomic(path, program.bytes) != WriteResult::written) {
        return MessageId::cannot_create;
    }
    return MessageId::none;
}

}  // namespace travex
