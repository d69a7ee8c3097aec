#include "image/screen_window_layout.h"

#include <cctype>

#include "image/screen_data.h"

namespace travex::image {

PictureRect zoom_placement(int picture_width, int zoom_entry) {
    const int k = zoom_entry >= 0 && zoom_entry < static_cast<int>(kZoomEntries.size())
                      ? zoom_entry
                      : kDefaultZoomEntry;
    return {picture_width * (7 - k) / 8 + 20, kScreenHeight * (7 - k) / 8 + 20,
            picture_width * (k + 1) / 4, kScreenHeight * (k + 1) / 4};
}

WindowSize screen_window_size(int picture_width) {
    return {2 * picture_width + 42, 2 * kScreenHeight + 125};
}

std::string CaptureTitles::next() {
    ++count_;
    return std::string(kCaptureTitlePrefix) + std::to_string(count_);
}

bool asks_to_save_on_close(std::string_view title) {
    if (title.size() <= 11 || title.size() < kCaptureTitlePrefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kCaptureTitlePrefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(title[i])) !=
            std::tolower(static_cast<unsigned char>(kCaptureTitlePrefix[i]))) {
            return false;
        }
    }
    return true;
}

std::string save_question(std::string_view title) {
    return "Save to " + std::string(title) + " ?";
}

int capture_width(std::span<const std::uint8_t> identifier) {
    if (identifier.size() >= 2 && identifier[0] == '7' &&
        (identifier[1] == '1' || identifier[1] == '4')) {
        return kNarrowWidth;
    }
    return kWideWidth;
}

}  // namespace travex::image
