#include "files/file_types.h"

#include <algorithm>

namespace travex {
namespace {

char lower_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const FileType* find_file_type(char letter) {
    const char wanted = lower_ascii(letter);
    for (const FileType& type : kFileTypes) {
        if (type.letter == wanted) {
            return &type;
        }
    }
    return nullptr;
}

SendLookup lookup_for_sending(char letter) {
    const FileType* type = find_file_type(letter);
    if (type == nullptr) {
        return {};
    }
    return {type->send_class, type->type_name};
}

ReceiveLookup lookup_for_receiving(char letter) {
    const FileType* type = find_file_type(letter);
    if (type == nullptr) {
        return {};
    }
    return {type->receive_request, type->type_name, make_title(type->default_title)};
}

Title make_title(std::string_view text) {
    Title title{};
    const std::size_t n = std::min(text.size(), title.size());
    std::copy_n(text.begin(), n, title.begin());
    return title;
}

}  // namespace travex
