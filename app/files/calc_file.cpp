#include "files/calc_file.h"

#include <algorithm>

#include "base/le_bytes.h"

namespace travex {
namespace {

constexpr std::size_t kNameOffset = 2;
constexpr std::size_t kTitleOffset = kNameOffset + kItemNameSize;
constexpr std::size_t kReservedOffset = kTitleOffset + kTitleSize;
static_assert(kReservedOffset + 1 == kHeaderSize);

constexpr std::size_t kVariableCodeSize = 2;

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

PayloadForm payload_form_of(char type_letter) {
    const FileType* type = find_file_type(type_letter);
    return type == nullptr ? PayloadForm::none : type->payload_form;
}

// Whether a header's model digit is one the model reads. Model code 4 reads anything; 2 and 3
// want '0' + code; 5 and 6 their accepted extension digits.
bool model_accepts(int model_code, std::uint8_t digit) {
    switch (model_code) {
        case 2:
        case 3:
            return digit == static_cast<std::uint8_t>(header_digit_of_model(model_code));
        case 5:
        case 6: {
            const ModelInfo* model = find_model(model_code);
            return model->accepted_digits.find(static_cast<char>(digit)) != std::string_view::npos;
        }
        default:
            return true;
    }
}

}  // namespace

std::string_view describe(FileResult result) {
    switch (result) {
        case FileResult::too_short_for_type:
            return "file too short for its type";
        case FileResult::ok:
            return "success";
        case FileResult::exists:
            return "file exists";
        case FileResult::failure:
            return "cannot open, read, allocate or write the file";
        case FileResult::wrong_model:
            return "wrong model";
        case FileResult::not_transferable:
            return "not a transferable type";
        case FileResult::shorter_than_header:
            return "shorter than the header";
        case FileResult::type_letter_mismatch:
            return "header type letter differs from the extension";
    }
    return "unknown result";
}

std::optional<FileHeader> parse_header(std::span<const std::uint8_t> file) {
    if (file.size() < kHeaderSize) {
        return std::nullopt;
    }
    FileHeader header;
    header.model_digit = file[0];
    header.type_letter = file[1];
    std::copy_n(file.begin() + kNameOffset, kItemNameSize, header.name.begin());
    std::copy_n(file.begin() + kTitleOffset, kTitleSize, header.title.begin());
    header.reserved = file[kReservedOffset];
    return header;
}

std::array<std::uint8_t, kHeaderSize> build_header(const FileHeader& header) {
    std::array<std::uint8_t, kHeaderSize> bytes{};
    bytes[0] = header.model_digit;
    bytes[1] = header.type_letter;
    std::copy(header.name.begin(), header.name.end(), bytes.begin() + kNameOffset);
    std::copy(header.title.begin(), header.title.end(), bytes.begin() + kTitleOffset);
    bytes[kReservedOffset] = header.reserved;
    return bytes;
}

ItemName spaces_item_name() {
    ItemName name;
    name.fill(' ');
    return name;
}

ItemName variable_code_item_name(std::uint16_t variable_code) {
    ItemName name = spaces_item_name();
    write_u16le(name, 0, variable_code);
    return name;
}

ItemName make_item_name(std::string_view text) {
    ItemName name{};
    std::copy_n(text.begin(), std::min(text.size(), name.size()), name.begin());
    return name;
}

std::optional<Bytes> payload_from_file(std::span<const std::uint8_t> file, char type_letter) {
    if (file.size() < kHeaderSize) {
        return std::nullopt;
    }
    const auto name = file.subspan(kNameOffset, kItemNameSize);
    const auto body = file.subspan(kHeaderSize);
    Bytes payload;
    switch (payload_form_of(type_letter)) {
        case PayloadForm::none:
            return std::nullopt;
        case PayloadForm::name_zero_body:
            payload.reserve(kItemNameSize + 1 + body.size());
            payload.assign(name.begin(), name.end());
            payload.push_back(0x00);
            break;
        case PayloadForm::name_body:
            payload.reserve(kItemNameSize + body.size());
            payload.assign(name.begin(), name.end());
            break;
        case PayloadForm::variable_code_body:
            // The variable code comes from the header; the body's own copy is replaced.
            if (body.size() < kVariableCodeSize) {
                return std::nullopt;
            }
            payload.reserve(body.size());
            payload.assign(name.begin(), name.begin() + kVariableCodeSize);
            payload.insert(payload.end(), body.begin() + kVariableCodeSize, body.end());
            return payload;
        case PayloadForm::body:
            break;
    }
    payload.insert(payload.end(), body.begin(), body.end());
    return payload;
}

std::optional<Bytes> body_from_received_payload(std::span<const std::uint8_t> payload,
                                                char type_letter) {
    switch (payload_form_of(type_letter)) {
        case PayloadForm::none:
            return std::nullopt;
        case PayloadForm::name_zero_body:
            if (payload.empty()) {
                return std::nullopt;
            }
            return Bytes(payload.begin() + 1, payload.end());
        case PayloadForm::name_body:
        case PayloadForm::variable_code_body:
        case PayloadForm::body:
            break;
    }
    return Bytes(payload.begin(), payload.end());
}

std::optional<Bytes> build_file_from_payload(std::string_view path,
                                             std::span<const std::uint8_t> payload,
                                             const ItemName& item_name, const Title& title) {
    if (path.size() < 2) {
        return std::nullopt;
    }
    const char type_letter = path[path.size() - 1];
    std::optional<Bytes> body = body_from_received_payload(payload, type_letter);
    if (!body) {
        return std::nullopt;
    }
    FileHeader header;
    header.model_digit = static_cast<std::uint8_t>(path[path.size() - 2]);
    header.type_letter = static_cast<std::uint8_t>(type_letter);
    header.name = item_name;
    header.title = title;
    const auto header_bytes = build_header(header);
    Bytes file;
    file.reserve(kHeaderSize + body->size());
    file.assign(header_bytes.begin(), header_bytes.end());
    file.insert(file.end(), body->begin(), body->end());
    return file;
}

SendableFile read_file_for_sending(FileSystem& fs, const std::string& path, int model_code) {
    SendableFile out;
    std::optional<Bytes> file = fs.read_file(path);
    if (!file || file->empty() || path.empty()) {
        out.result = FileResult::failure;
        return out;
    }
    // A one-byte file has no type letter; its place reads as zero, which never matches.
    const std::uint8_t letter = file->size() >= 2 ? (*file)[1] : 0;
    if (lower_ascii(static_cast<char>(letter)) != lower_ascii(path.back())) {
        out.result = FileResult::type_letter_mismatch;
        return out;
    }
    if (file->size() < kHeaderSize) {
        out.result = FileResult::shorter_than_header;
        return out;
    }
    out.send_class = lookup_for_sending(static_cast<char>(letter)).send_class;
    if (out.send_class == kSendClassNone) {
        out.result = FileResult::not_transferable;
        return out;
    }
    std::optional<Bytes> payload = payload_from_file(*file, static_cast<char>(letter));
    if (!payload) {
        out.result = FileResult::too_short_for_type;
        return out;
    }
    if (out.send_class == kSendClassNamed) {
        ItemName name;
        std::copy_n(file->begin() + kNameOffset, kItemNameSize, name.begin());
        out.item_name = name;
    }
    if (!model_accepts(model_code, (*file)[0])) {
        out.result = FileResult::wrong_model;
        out.item_name.reset();
        return out;
    }
    out.payload = std::move(*payload);
    out.result = FileResult::ok;
    return out;
}

bool path_too_long(std::string_view path) {
    return path.size() >= kMaxPathLength;
}

FileResult write_file(FileSystem& fs, const std::string& path, std::span<const std::uint8_t> bytes,
                      bool overwrite_all) {
    if (!overwrite_all && fs.exists(path)) {
        return FileResult::exists;
    }
    if (path_too_long(path)) {
        return FileResult::failure;
    }
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return fs.write_file_atomic(path, view) == WriteResult::written ? FileResult::ok
                                                                    : FileResult::failure;
}

bool has_free_space(FileSystem& fs, const std::string& path, std::uint64_t bytes_needed) {
    const std::optional<std::uint64_t> free = fs.free_space(path);
    return !free || *free >= bytes_needed;
}

MessageId send_failure_message(FileResult result) {
    switch (result) {
        case FileResult::ok:
            return MessageId::none;
        case FileResult::wrong_model:
        case FileResult::type_letter_mismatch:
            return MessageId::incorrect_file;
        case FileResult::not_transferable:
            return MessageId::not_transmittable;
        default:
            return MessageId::not_travex_format;
    }
}

}  // namespace travex
