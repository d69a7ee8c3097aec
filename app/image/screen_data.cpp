#include "image/screen_data.h"

#include <algorithm>

#include "files/model_table.h"

namespace travex::image {

bool ScreenData::dark(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= kScreenHeight) {
        return false;
    }
    const std::size_t at = static_cast<std::size_t>((y / 8) * width + x);
    return at < bands.size() && ((bands[at] >> (7 - y % 8)) & 1) != 0;
}

ScreenData blank_screen(int width) {
    return ScreenData{width, Bytes(static_cast<std::size_t>(width) * kBandCount, 0)};
}

std::optional<ScreenData> screen_from_dump(std::span<const std::uint8_t> dump) {
    if (dump.size() == kWideScreenBytes) {
        return ScreenData{kWideWidth, Bytes(dump.begin(), dump.end())};
    }
    if (dump.size() == kNarrowScreenBytes) {
        return ScreenData{kNarrowWidth, Bytes(dump.begin(), dump.end())};
    }
    return std::nullopt;
}

ScreenData screen_from_capture(std::span<const std::uint8_t> payload, int width) {
    ScreenData screen = blank_screen(width);
    const std::size_t n = std::min(payload.size(), screen.bands.size());
    std::copy_n(payload.begin(), n, screen.bands.begin());
    return screen;
}

char extension_digit(std::string_view path) {
    return path.size() >= 2 ? path[path.size() - 2] : '\0';
}

std::optional<int> picture_width_of_digit(char digit) {
    switch (model_family_of_digit(digit)) {
        case 2:
        case 4:
            return kWideWidth;
        case 3:
        case 5:
            return kNarrowWidth;
        default:
            return std::nullopt;
    }
}

PictureFile read_picture_file(std::span<const std::uint8_t> file, char digit) {
    PictureFile picture;
    if (file.size() < 55) {
        picture.message = MessageId::no_data;
        return picture;
    }
    const std::optional<int> width = picture_width_of_digit(digit);
    if ((file[1] != 'I' && file[1] != 'i') || file[0] != static_cast<std::uint8_t>(digit) ||
        !width) {
        picture.message = MessageId::cannot_read;
        return picture;
    }
    if (file.size() != picture_file_size(*width)) {
        picture.message = MessageId::no_data;
        return picture;
    }
    picture.variable_code = {file[54], file[55]};
    picture.screen = blank_screen(*width);
    const std::size_t band_length = picture_band_length(*width);
    for (int band = 0; band < kBandCount; ++band) {
        const auto from = file.subspan(57 + band * band_length, band_length);
        std::copy(from.begin(), from.end(),
                  picture.screen.bands.begin() + static_cast<std::ptrdiff_t>(band * *width));
    }
    return picture;
}

Bytes build_picture_file(const ScreenData& screen, char model_digit,
                         std::array<std::uint8_t, 2> variable_code) {
    Bytes file(picture_file_size(screen.width), 0);
    file[0] = static_cast<std::uint8_t>(model_digit);
    file[1] = 'i';
    file[2] = variable_code[0];
    file[3] = variable_code[1];
    std::fill(file.begin() + 4, file.begin() + 13, ' ');
    file[54] = variable_code[0];
    file[55] = variable_code[1];
    const std::size_t band_length = picture_band_length(screen.width);
    for (int band = 0; band < kBandCount; ++band) {
        const auto from = screen.bands.begin() + band * screen.width;
        std::copy(from, from + static_cast<std::ptrdiff_t>(band_length),
                  file.begin() + static_cast<std::ptrdiff_t>(57 + band * band_length));
    }
    return file;
}

}  // namespace travex::image
