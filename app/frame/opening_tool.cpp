#include "frame/opening_tool.h"

#include <cstdio>

namespace travex {
namespace {

constexpr unsigned kOpeningToolThirdNumber = 66;

std::string lower_hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

std::string opening_tool_parameters(std::uint64_t frame_handle, std::string_view settings_path) {
    std::string parameters = "\n";
    for (const std::uint64_t number : {frame_handle, std::uint64_t{kOpeningToolHandshakeMessage},
                                       std::uint64_t{kOpeningToolThirdNumber}}) {
        parameters += lower_hex(number) + ",";
    }
    parameters += "\n \"";
    parameters += settings_path;
    parameters += "\"";
    if (parameters.size() > kOpeningToolParametersLimit) {
        parameters.resize(kOpeningToolParametersLimit);
    }
    return parameters;
}

std::string opening_tool_program(std::string_view application_path) {
    const std::size_t folder_end = application_path.find_last_of("\\/:");
    const std::size_t base_start = folder_end == std::string_view::npos ? 0 : folder_end + 1;
    const std::string_view file = application_path.substr(base_start);
    const std::size_t dot = file.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? "" : file.substr(dot);
    return std::string(application_path.substr(0, base_start)) + "Opening" + std::string(extension);
}

bool is_opening_tool_handshake(std::uint64_t w) {
    return w == (std::uint64_t{'7'} << 8 | '5');
}

}  // namespace travex
