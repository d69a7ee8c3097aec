#include "files/name_field.h"

#include <algorithm>

namespace travex {

ItemName name_field_from_path(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string_view leaf = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = leaf.find('.');
    if (dot != std::string_view::npos) {
        leaf = leaf.substr(0, dot);
    }
    ItemName field{};
    std::copy_n(leaf.begin(), std::min<std::size_t>(leaf.size(), 8), field.begin());
    return field;
}

}  // namespace travex
