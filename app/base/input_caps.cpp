#include "base/input_caps.h"

#include <cctype>

namespace travex {
namespace {

bool is_letter(char c, char lower) {
    return std::tolower(static_cast<unsigned char>(c)) == lower;
}

}  // namespace

std::uint64_t input_cap_for(std::string_view path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && slash > dot)) {
        return kMaxGroupFileBytes;
    }
    const std::string_view extension = path.substr(dot + 1);
    if (extension.size() == 3 && is_letter(extension[0], 'g') &&
        std::isdigit(static_cast<unsigned char>(extension[1]))) {
        return is_letter(extension[2], 'g') ? kMaxGroupFileBytes : kMaxCalculatorFileBytes;
    }
    if (extension.size() == 3 && is_letter(extension[0], 't') && is_letter(extension[1], 'x') &&
        is_letter(extension[2], 't')) {
        return kMaxTextFileBytes;
    }
    if (extension.size() == 3 && is_letter(extension[0], 'b') && is_letter(extension[1], 'm') &&
        is_letter(extension[2], 'p')) {
        return kMaxPictureFileBytes;
    }
    return kMaxGroupFileBytes;
}

std::string too_large_problem(std::uint64_t cap) {
    return "too large: no file of its kind holds more than " + std::to_string(cap) + " bytes";
}

}  // namespace travex
