#include "files/file_kind.h"

#include <array>

namespace travex {
namespace {

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower_ascii(a[i]) != lower_ascii(b[i])) {
            return false;
        }
    }
    return true;
}

// Calculator kinds by type letter, in kind order (kind = position + 1).
constexpr std::string_view kKindLetters = "psilnmtwvz";

// The name part of a path: after the last '\' or '/'.
std::string_view leaf_of(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

FileKind file_kind_of(std::string_view path) {
    const std::string_view name = leaf_of(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        // Screen image windows are titled "Screen image" + a number; the first 11 characters
        // decide, as the window titles are matched.
        constexpr std::string_view kScreenImage = "Screen image";
        return name.size() >= 11 &&
                       equal_ignoring_case(name.substr(0, 11), kScreenImage.substr(0, 11))
                   ? FileKind::screen_image
                   : FileKind::none;
    }
    const std::string_view ext = name.substr(dot + 1);
    if (equal_ignoring_case(ext, "txt")) {
        return FileKind::text;
    }
    if (equal_ignoring_case(ext, "bmp")) {
        return FileKind::bitmap;
    }
    if (ext.size() != 3 || lower_ascii(ext[0]) != 'g' || (ext[1] != '6' && ext[1] != '4')) {
        return FileKind::none;
    }
    const std::size_t at = kKindLetters.find(lower_ascii(ext[2]));
    return at == std::string_view::npos ? FileKind::none : static_cast<FileKind>(at + 1);
}

std::string_view file_kind_name(FileKind kind) {
    static constexpr std::array<std::string_view, 14> kNames = {
        "none",          "program", "slide show",  "picture",      "list",
        "list database", "matrix",  "table setup", "window setup", "data variable",
        "zoom",          "text",    "bitmap",      "screen image"};
    const auto k = static_cast<std::size_t>(kind);
    return k < kNames.size() ? kNames[k] : "none";
}

std::optional<char> header_letter_of_kind(FileKind kind) {
    const int k = static_cast<int>(kind);
    if (k < 1 || k > static_cast<int>(kKindLetters.size())) {
        return std::nullopt;
    }
    return kKindLetters[static_cast<std::size_t>(k - 1)];
}

}  // namespace travex
