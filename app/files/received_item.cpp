#include "files/received_item.h"

#include <algorithm>
#include <array>

#include "codec/token_tables.h"

namespace travex {
namespace {

constexpr std::size_t kNameBytesConsidered = 11;
constexpr std::size_t kBaseNameLimit = 8;

// Variable codes whose names are cut after one character (the short graph-equation names).
constexpr std::uint16_t kShortNameFirst = 0x0C40;
constexpr std::uint16_t kShortNameLast = 0x0C42;

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Bytes that must never reach the file system inside a name: they would split the name into
// folders, name a stream or a device, or are refused by one of the platforms.
bool forbidden_in_file_name(std::uint8_t byte) {
    switch (byte) {
        case '/':
        case '\\':
        case ':':
        case '*':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
        case 0x7F:
            return true;
        default:
            return byte < 0x20;
    }
}

// Names the Windows file system gives to devices whatever the extension ("con.g6p" is the
// console): a base name equal to one of them gets a '_' appended.
bool is_reserved_device_name(std::string_view base) {
    static constexpr std::array<std::string_view, 4> kPlain = {"con", "prn", "aux", "nul"};
    std::string lower(base);
    // Windows ignores trailing spaces and dots when it matches device names.
    while (!lower.empty() && (lower.back() == ' ' || lower.back() == '.')) {
        lower.pop_back();
    }
    std::transform(lower.begin(), lower.end(), lower.begin(), lower_ascii);
    if (std::find(kPlain.begin(), kPlain.end(), lower) != kPlain.end()) {
        return true;
    }
    return lower.size() == 4 && (lower.starts_with("com") || lower.starts_with("lpt")) &&
           lower[3] >= '0' && lower[3] <= '9';
}

// Makes a name safe to join to a folder: forbidden bytes become '_', an empty or all-dot name
// becomes underscores, and a device name before the first '.' gets a '_' appended.
std::string make_safe_name(std::string name) {
    for (char& c : name) {
        if (forbidden_in_file_name(static_cast<std::uint8_t>(c))) {
            c = '_';
        }
    }
    if (std::all_of(name.begin(), name.end(), [](char c) { return c == '.'; })) {
        name.assign(std::max<std::size_t>(name.size(), 1), '_');
    }
    const std::size_t dot = std::min(name.find('.'), name.size());
    if (is_reserved_device_name(std::string_view(name).substr(0, dot))) {
        name.insert(dot, 1, '_');
    }
    return name;
}

}  // namespace

Bytes received_item_text_from_token(std::uint16_t variable_code, std::string_view token_name) {
    const std::size_t keep =
        (variable_code >= kShortNameFirst && variable_code <= kShortNameLast) ? 1 : 8;
    const std::string_view cut = token_name.substr(0, std::min(keep, token_name.size()));
    return Bytes(cut.begin(), cut.end());
}

Bytes received_item_text(const ReceivableType& type, std::uint16_t variable_code,
                         std::span<const std::uint8_t> calculator_name) {
    switch (type.naming) {
        case ReceivableNaming::fixed_name:
            return to_bytes(type.fixed_name);
        case ReceivableNaming::variable_code:
            return received_item_text_from_token(variable_code, variable_name(variable_code));
        case ReceivableNaming::calculator_list:
            break;
    }
    return Bytes(calculator_name.begin(),
                 calculator_name.begin() +
                     static_cast<std::ptrdiff_t>(std::min(calculator_name.size(), kItemNameSize)));
}

std::string received_item_file_name(std::span<const std::uint8_t> text, char model_digit,
                                    char type_letter) {
    std::string base;
    const std::size_t considered = std::min(text.size(), kNameBytesConsidered);
    for (std::size_t i = 0; i < considered && base.size() < kBaseNameLimit; ++i) {
        const std::uint8_t byte = text[i];
        if (byte == 0x00) {
            break;  // the name ends here
        }
        if (byte == 0xFF) {
            continue;  // padding of the calculator's names
        }
        base += byte == ' ' ? '_' : static_cast<char>(byte);
    }
    if (std::all_of(base.begin(), base.end(), [](char c) { return c == '.'; })) {
        base.assign(std::max<std::size_t>(base.size(), 1), '_');
    }
    std::string name = std::move(base);
    name += '.';
    name += 'g';
    name += model_digit;
    name += type_letter;
    std::transform(name.begin(), name.end(), name.begin(), lower_ascii);
    return make_safe_name(std::move(name));
}

std::string received_item_file_name(const ReceivableType& type, int index,
                                    std::span<const std::uint8_t> calculator_name, int model_code) {
    const std::uint16_t code = receivable_variable_code(type, index, model_code).value_or(0);
    const ModelInfo* model = find_model(model_code);
    const char digit = model != nullptr ? model->own_digit : running_model_digit();
    return received_item_file_name(received_item_text(type, code, calculator_name), digit,
                                   type.letter);
}

std::string safe_leaf_name(std::string_view name) {
    return make_safe_name(std::string(name));
}

std::string join_folder(std::string_view folder, std::string_view leaf) {
    std::string path(folder);
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        // Keep the folder's own separator style; '/' works on both platforms.
        path += folder.find('\\') != std::string_view::npos ? '\\' : '/';
    }
    path += leaf;
    return path;
}

ItemName received_header_name(char type_letter, std::uint16_t variable_code,
                              std::span<const std::uint8_t> calculator_name) {
    const FileType* type = find_file_type(type_letter);
    if (type == nullptr) {
        return spaces_item_name();
    }
    switch (type->name_form) {
        case HeaderNameForm::item_name: {
            ItemName name{};
            std::copy_n(calculator_name.begin(), std::min(calculator_name.size(), name.size()),
                        name.begin());
            return name;
        }
        case HeaderNameForm::variable_code:
            return variable_code_item_name(variable_code);
        case HeaderNameForm::none:
        case HeaderNameForm::spaces:
            break;
    }
    return spaces_item_name();
}

void begin_received_item(ReceiveState& state, char type_letter, const ItemName& item_name) {
    state.item_name = item_name;
    state.title = lookup_for_receiving(type_letter).title;
}

StoreOutcome store_received_item(FileSystem& fs, FileQuestions& questions, ReceiveState& state,
                                 std::string_view folder, std::string_view file_name,
                                 std::span<const std::uint8_t> payload) {
    const std::string path = join_folder(folder, safe_leaf_name(file_name));
    const std::optional<Bytes> file =
        build_file_from_payload(path, payload, state.item_name, state.title);
    if (!file) {
        return StoreOutcome::abort;
    }
    if (!has_free_space(fs, path, file->size())) {
        questions.report(MessageId::disk_full);
        return StoreOutcome::abort;
    }
    FileResult result = write_file(fs, path, *file, state.overwrite_all);
    if (result == FileResult::exists) {
        switch (questions.ask_overwrite(path)) {
            case OverwriteAnswer::overwrite_all:
                state.overwrite_all = true;
                break;
            case OverwriteAnswer::overwrite:
                break;
            case OverwriteAnswer::skip:
                return StoreOutcome::continue_receiving;
            case OverwriteAnswer::cancel:
                return StoreOutcome::abort;
        }
        result = write_file(fs, path, *file, true);
    }
    if (result == FileResult::ok) {
        return StoreOutcome::continue_receiving;
    }
    questions.report(path_too_long(path) ? MessageId::name_too_long : MessageId::cannot_create);
    return StoreOutcome::abort;
}

}  // namespace travex
