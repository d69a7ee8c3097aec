#pragma once
// Ids of the string table's texts, other than messages, that the portable layers hand to the
// windows: the captions and lines of the transfer progress window. The window shows the text the
// table holds for the id.
#include <cstdint>

namespace travex {

enum class TextId : std::uint16_t {
    none = 0,
    sending = 160,           // "Sending ..."
    receiving = 161,         // "Receiving ..."
    screen_capturing = 162,  // "Screen Capturing ..."
    screen_image = 163,      // "Screen image"
};

// The string-table id of a text.
constexpr std::uint16_t string_id(TextId id) {
    return static_cast<std::uint16_t>(id);
}

}  // namespace travex
