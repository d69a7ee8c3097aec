#include "files/group_choice.h"

#include <algorithm>

namespace travex::group {
namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

bool is_full_path(std::string_view name) {
    const bool drive = name.size() >= 2 && name[1] == ':' &&
                       ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
    return drive || (!name.empty() && is_separator(name[0]));
}

}  // namespace

bool is_file_pattern(std::string_view name) {
    return name.find_first_of("*?") != std::string_view::npos;
}

std::string chosen_path(std::string_view folder, std::string_view name) {
    if (is_full_path(name) || folder.empty()) {
        return std::string(name);
    }
    std::string path(folder);
    if (!is_separator(path.back())) {
        path += '\\';
    }
    path += name;
    return path;
}

std::string listed_path(std::string_view folder, std::string_view name) {
    std::string path = chosen_path(folder, name);
    std::transform(path.begin(), path.end(), path.begin(), [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return path;
}

std::string proposed_group_name(char model_digit) {
    return std::string("Group.g") + model_digit + 'g';
}

}  // namespace travex::group
