#include "resources/file_filters.h"

#include <cstdint>

#include "resources/string_table.h"

namespace travex {

std::string filter_list(int index) {
    if (index < 0 || index > 0xFFFF - kFilterBaseId) {
        return {};
    }
    const auto text = string_text(static_cast<std::uint16_t>(kFilterBaseId + index));
    return text ? std::string(*text) : std::string();
}

}  // namespace travex
