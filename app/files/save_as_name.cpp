#include "files/save_as_name.h"

#include <algorithm>
#include <cstdint>

namespace travex {
namespace {

// Extensions are compared over this many characters, the '.' included.
constexpr std::size_t kComparedExtensionLength = 4;

// Where the last part of a path starts: after the last '\' or '/', or after a drive "C:".
std::size_t leaf_start(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash != std::string_view::npos) {
        return slash + 1;
    }
    return path.size() >= 2 && path[1] == ':' ? 2 : 0;
}

// The extension of a path: from the last '.' of its last part; empty when there is none.
std::string_view extension_of(std::string_view path) {
    const std::size_t leaf = leaf_start(path);
    const std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos || dot < leaf ? std::string_view() : path.substr(dot);
}

// The extensions of the patterns of one filter ("*.g6p;*.g4p").
void append_pattern_extensions(std::string_view patterns, std::vector<std::string>& out) {
    while (!patterns.empty()) {
        const std::size_t end = std::min(patterns.find(';'), patterns.size());
        const std::string_view pattern = patterns.substr(0, end);
        const std::size_t dot = pattern.rfind('.');
        if (dot != std::string_view::npos) {
            out.emplace_back(pattern.substr(dot));
        }
        patterns.remove_prefix(std::min(end + 1, patterns.size()));
    }
}

// The pattern field of every filter: "desc|pattern|desc|pattern||" gives the second, fourth, ...
// fields, up to the empty field that ends the list.
std::vector<std::string_view> filter_patterns(std::string_view list) {
    std::vector<std::string_view> patterns;
    std::size_t field = 0;
    while (!list.empty()) {
        const std::size_t end = std::min(list.find('|'), list.size());
        const std::string_view text = list.substr(0, end);
        if (text.empty()) {
            break;
        }
        if (field % 2 == 1) {
            patterns.push_back(text);
        }
        ++field;
        list.remove_prefix(std::min(end + 1, list.size()));
    }
    return patterns;
}

}  // namespace

std::string dialog_filter(std::string_view filter_list) {
    std::string filter(filter_list);
    std::replace(filter.begin(), filter.end(), '|', '\0');
    return filter;
}

std::vector<std::string> filter_extensions(std::string_view filter_list) {
    std::vector<std::string> extensions;
    for (const std::string_view patterns : filter_patterns(filter_list)) {
        append_pattern_extensions(patterns, extensions);
    }
    return extensions;
}

std::string apply_save_extension(std::string_view typed_path, std::string_view filter_list,
                                 int chosen_filter) {
    const std::string_view typed_extension = extension_of(typed_path);
    const std::string_view compared =
        typed_extension.substr(0, std::min(typed_extension.size(), kComparedExtensionLength));
    for (const std::string& extension : filter_extensions(filter_list)) {
        if (!compared.empty() &&
            std::string_view(extension).substr(0, kComparedExtensionLength) == compared) {
            return std::string(typed_path);
        }
    }
    // The dialog counts filters from 1; 0 (its custom filter) or anything else that names no
    // filter of the list takes the first one.
    const std::vector<std::string_view> patterns = filter_patterns(filter_list);
    std::vector<std::string> chosen;
    if (!patterns.empty()) {
        const bool in_range =
            chosen_filter >= 1 && static_cast<std::size_t>(chosen_filter) <= patterns.size();
        append_pattern_extensions(
            patterns[in_range ? static_cast<std::size_t>(chosen_filter) - 1 : 0], chosen);
    }
    if (chosen.empty()) {
        return std::string(typed_path);
    }
    std::string path(typed_path.substr(0, typed_path.size() - typed_extension.size()));
    path += chosen.front();
    return path;
}

}  // namespace travex
