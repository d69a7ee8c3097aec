#include "files/program_file.h"

#include <algorithm>

#include "files/calc_file.h"
#include "files/name_field.h"

namespace travex {

std::optional<std::string_view> program_body(std::string_view file) {
    if (file.size() < kProgramHeaderSize || (file[1] != 'p' && file[1] != 'P')) {
        return std::nullopt;
    }
    return file.substr(kProgramHeaderSize);
}

ProgramFile make_program_file(std::string_view file_name, std::string_view title,
                              std::string_view tokens) {
    return make_program_file(file_name, name_field_from_path(file_name), title, tokens);
}

ProgramFile make_program_file(std::string_view file_name, const ItemName& name,
                              std::string_view title, std::string_view tokens) {
    const std::size_t slash = file_name.find_last_of("\\/");
    const std::string_view base =
        slash == std::string_view::npos ? file_name : file_name.substr(slash + 1);
    if (base.size() < 2) {
        return {{}, ProgramFileError::file_name_too_short};
    }
    if (title.size() > kHeaderTitleSize) {
        return {{}, ProgramFileError::title_too_long};
    }
    FileHeader header;
    header.model_digit = static_cast<std::uint8_t>(base[base.size() - 2]);
    header.type_letter = static_cast<std::uint8_t>(base[base.size() - 1]);
    header.name = name;
    std::copy(title.begin(), title.end(), header.title.begin());
    const auto header_bytes = build_header(header);

    if (!tokens.empty() && tokens.back() == '\xFD') {
        tokens.remove_suffix(1);
    }
    std::string file(header_bytes.begin(), header_bytes.end());
    file.reserve(kProgramHeaderSize + tokens.size() + 2);
    file.append(tokens);
    file.push_back('\xFD');
    file.push_back('\xFF');
    return {std::move(file), ProgramFileError::none};
}

}  // namespace travex
