#pragma once
// The calculator's display as the link delivers it and picture files hold it: eight bands of
// eight pixel rows, from the top band down; each band one byte per column, left to right; in a
// column byte the most significant bit is the top row of the band. A set bit is a dark pixel.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "base/bytes.h"
#include "files/file_messages.h"

namespace travex::image {

inline constexpr int kScreenHeight = 64;
inline constexpr int kBandCount = 8;
inline constexpr int kWideWidth = 132;   // RQ-7200, RQ-7300, RQ-7310 families
inline constexpr int kNarrowWidth = 96;  // RQ-7100, RQ-7110 families
inline constexpr std::size_t kWideScreenBytes = kWideWidth * kBandCount;      // 1056
inline constexpr std::size_t kNarrowScreenBytes = kNarrowWidth * kBandCount;  // 768

struct ScreenData {
    int width = kWideWidth;
    Bytes bands = Bytes(kWideScreenBytes, 0);  // width × 8 bytes

    // Pixel (x, y) from the top left; false outside the picture.
    bool dark(int x, int y) const;
};

// A blank screen of the given width.
ScreenData blank_screen(int width);

// The screen held by a raw screen dump: 1056 bytes (132 columns) or 768 bytes (96 columns).
std::optional<ScreenData> screen_from_dump(std::span<const std::uint8_t> dump);

// The screen of a capture from a calculator whose display is width columns wide. The payload
// should hold width × 8 bytes; a shorter one leaves the rest of the screen blank rather than
// reading past it, and bytes beyond the screen are ignored.
ScreenData screen_from_capture(std::span<const std::uint8_t> payload, int width);

// The character before the extension's last one ('6' for "pic.g6i"), or 0 for short paths.
char extension_digit(std::string_view path);

// The picture width of the model family an extension digit belongs to: 132 for the digits
// 2, 4 and 6, 96 for 3 and 5, nullopt for any other.
std::optional<int> picture_width_of_digit(char digit);

// The length of one band in a picture file: 127 (132 columns) or 95 (96 columns); the band's
// remaining columns are blank.
constexpr std::size_t picture_band_length(int width) {
    return width == kWideWidth ? 127 : 95;
}
// The exact size of a picture file: header, variable code, one unused byte, eight bands.
constexpr std::size_t picture_file_size(int width) {
    return 54 + 3 + kBandCount * picture_band_length(width);
}

struct PictureFile {
    MessageId message = MessageId::none;  // 415 wrong header, 421 wrong size
    ScreenData screen;
    std::array<std::uint8_t, 2> variable_code{};  // as stored: index byte, prefix byte
};

// Reads a picture file image; extension_digit is the digit of the file's own extension.
PictureFile read_picture_file(std::span<const std::uint8_t> file, char extension_digit);

// A picture file image (header name: the variable code and nine spaces; empty title). Columns
// past the band length are not stored.
Bytes build_picture_file(const ScreenData& screen, char model_digit,
                         std::array<std::uint8_t, 2> variable_code);

}  // namespace travex::image
