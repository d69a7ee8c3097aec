#include "codec/program_file.h"

namespace travex {

std::optional<std::string_view> program_body(std::string_view file) {
    if (file.size() < kProgramHeaderSize || (file[1] != 'p' && file[1] != 'P')) {
        return std::nullopt;
    }
    return file.substr(kProgramHeaderSize);
}

ProgramFile make_program_file(std::string_view file_name, std::string_view title,
                              std::string_view tokens) {
    const std::size_t slash = file_name.find_last_of("\\/");
    const std::string_view base =
        slash == std::string_view::npos ? file_name : file_name.substr(slash + 1);
    if (base.size() < 2) {
        return {{}, ProgramFileError::file_name_too_short};
    }
    if (title.size() > kHeaderTitleSize) {
        return {{}, ProgramFileError::title_too_long};
    }
    const std::string_view name = base.substr(0, base.find('.')).substr(0, kHeaderNameChars);

    std::string file(kProgramHeaderSize, '\0');
    file[0] = base[base.size() - 2];
    file[1] = base[base.size() - 1];
    file.replace(2, name.size(), name);
    file.replace(2 + kHeaderNameSize, title.size(), title);
    file.reserve(kProgramHeaderSize + tokens.size() + 2);
    file.append(tokens);
    file.push_back('\xFD');
    file.push_back('\xFF');
    return {std::move(file), ProgramFileError::none};
}

}  // namespace travex
