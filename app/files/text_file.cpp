#include "files/text_file.h"

#include <algorithm>
#include <optional>
#include <span>

#include "base/input_caps.h"
#include "codec/data_export.h"
#include "codec/detokenizer.h"
#include "codec/escapes.h"
#include "codec/line_breaks.h"
#include "codec/text_limits.h"
#include "files/calc_file.h"

namespace travex {

namespace {

constexpr std::size_t kNameAt = 2;
constexpr std::size_t kTitleAt = 13;

std::optional<DataType> data_type_of(FileKind kind) {
    switch (kind) {
        case FileKind::list:
            return DataType::list;
        case FileKind::list_database:
            return DataType::list_database;
        case FileKind::matrix:
            return DataType::matrix;
        case FileKind::table_setup:
            return DataType::table_setup;
        case FileKind::window_setup:
            return DataType::window_setup;
        case FileKind::data_variable:
            return DataType::data_variable;
        case FileKind::zoom:
            return DataType::zoom;
        default:
            return std::nullopt;
    }
}

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

OpenTextResult failed(MessageId message) {
    OpenTextResult result;
    result.message = message;
    return result;
}

// The header title: 40 bytes, zero-padded, not necessarily zero-terminated.
std::string title_of(std::string_view file) {
    const std::string_view field = file.substr(kTitleAt, kTitleSize);
    return std::string(field.substr(0, field.find('\0')));
}

}  // namespace

OpenTextResult convert_to_text(FileKind kind, char extension_digit, std::string_view file) {
    OpenTextResult result;
    result.opened.kind = kind;
    if (kind == FileKind::text) {
        // Text from other systems ends its lines in LF or CR alone; the editor and the
        // tokenizer both read CR LF, so the lines are given CR LF before the size is checked.
        result.opened.text = with_crlf_line_breaks(decode_escapes(file));
        if (result.opened.text.size() > kMaxConvertedText) {
            return failed(MessageId::text_too_large);
        }
        return result;
    }
    const std::optional<DataType> data_type = data_type_of(kind);
    if (!data_type && kind != FileKind::program) {
        return failed(MessageId::cannot_read);
    }
    if (data_type && file.size() < kMinDataFileSize) {
        return failed(MessageId::no_data);
    }
    const std::optional<char> letter = header_letter_of_kind(kind);
    if (file.size() < kHeaderSize || !letter || lower_ascii(file[1]) != *letter ||
        file[0] != extension_digit) {
        return failed(MessageId::cannot_read);
    }
    const std::string_view body_text = file.substr(kHeaderSize, kMaxBodyRead);
    const std::span<const std::uint8_t> body(
        reinterpret_cast<const std::uint8_t*>(body_text.data()), body_text.size());
    const std::optional<std::string> text =
        data_type ? export_data_checked(*data_type, body) : detokenize_checked(body);
    if (!text) {
        return failed(MessageId::text_too_large);
    }
    result.opened.title = title_of(file);
    std::copy_n(file.begin() + kNameAt, kItemNameSize, result.opened.name.begin());
    result.opened.text = *text;
    return result;
}

OpenTextResult open_as_text(FileSystem& fs, const std::string& path) {
    const FileKind kind = file_kind_of(path);
    if (kind != FileKind::program && kind != FileKind::text && !data_type_of(kind)) {
        return failed(MessageId::cannot_read);
    }
    // A program or data file no larger than a calculator file, a text no larger than a text
    // can be: anything larger cannot open and is not read.
    const std::uint64_t cap = kind == FileKind::text ? kMaxTextFileBytes : kMaxCalculatorFileBytes;
    const std::optional<Bytes> file = fs.read_file_capped(path, cap).bytes;
    if (!file) {
        return failed(MessageId::file_access_failed);
    }
    // Calculator kinds end in ".g" + digit + letter: the digit is the second-last character.
    const char extension_digit = kind == FileKind::text ? '\0' : path[path.size() - 2];
    return convert_to_text(
        kind, extension_digit,
        std::string_view(reinterpret_cast<const char*>(file->data()), file->size()));
}

MessageId save_text_file(FileSystem& fs, const std::string& path,
                         std::string_view calculator_text) {
    if (path_too_long(path)) {
        return MessageId::name_too_long;
    }
    const std::string encoded = encode_escapes(calculator_text);
    if (!has_free_space(fs, path, encoded.size() + kSaveSpareBytes)) {
        return MessageId::disk_full;
    }
    if (fs.write_file_atomic(path, encoded) != WriteResult::written) {
        return MessageId::cannot_create;
    }
    return MessageId::none;
}

}  // namespace travex
