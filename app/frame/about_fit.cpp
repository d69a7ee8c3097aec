#include "frame/about_fit.h"

#include <algorithm>

namespace travex {

int about_text_room(std::span<const AboutText> texts, std::size_t index) {
    const AboutText& text = texts[index];
    int right = kAboutWidth;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const AboutText& other = texts[i];
        if (i == index || other.x <= text.x) {
            continue;
        }
        const int shared = std::min(text.y + text.cell_height, other.y + other.cell_height) -
                           std::max(text.y, other.y);
        if (shared * 4 > std::min(text.cell_height, other.cell_height)) {
            right = std::min(right, other.x - kAboutTextGap);
        }
    }
    return right - text.x;
}

int fitted_cell_height(int cell_height, int room, const std::function<int(int)>& width_at) {
    const int width = width_at(cell_height);
    if (width <= room || cell_height <= kAboutSmallestCell) {
        return cell_height;
    }
    // Widths grow about in proportion to the height: start from the proportional guess, then
    // step past any rounding of the face.
    int height =
        std::clamp(cell_height * room / std::max(1, width), kAboutSmallestCell, cell_height - 1);
    while (height > kAboutSmallestCell && width_at(height) > room) {
        --height;
    }
    while (height + 1 < cell_height && width_at(height + 1) <= room) {
        ++height;
    }
    return height;
}

}  // namespace travex
