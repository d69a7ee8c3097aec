#include "slideshow/slide_layout.h"

#include <algorithm>

namespace travex::slides {

WindowLayout layout_window(int width, int height, int text_height, int scroll_bar_width) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    WindowLayout layout;
    const int title_height = text_height + 8;
    layout.title = {kTitleX, kTitleY, std::max(width - kTitleX - kTitleRightMargin, 0),
                    title_height};
    // A small gap below the field, as the caption sits 4 pixels lower than the field.
    const int top = std::min(kTitleY + title_height + 4, height);
    const int bar = std::min(scroll_bar_width, width);
    layout.pages = {0, top, width - bar, height - top};
    layout.scroll_bar = {width - bar, top, bar, height - top};
    return layout;
}

int pages_per_row(int row_width) {
    // Cell k (from 0) fits when its right edge (k + 1) × kCellWidth stays left of row_width.
    return row_width <= kCellWidth ? 1 : (row_width - 1) / kCellWidth;
}

int row_count(std::size_t page_count, int row_width) {
    const auto per_row = static_cast<std::size_t>(pages_per_row(row_width));
    return static_cast<int>((page_count + per_row - 1) / per_row);
}

Rect page_cell(std::size_t index, int row_width, int top_row) {
    const auto per_row = static_cast<std::size_t>(pages_per_row(row_width));
    const int row = static_cast<int>(index / per_row);
    const int column = static_cast<int>(index % per_row);
    return {column * kCellWidth, (row - top_row) * kCellHeight, kCellWidth, kCellHeight};
}

std::optional<int> scrolled_row(int current, int rows, ScrollRequest request, int thumb) {
    const int last = std::max(rows - 1, 0);
    switch (request) {
        case ScrollRequest::line_up:
        case ScrollRequest::page_up:
            return current > 0 ? std::optional<int>(current - 1) : std::nullopt;
        case ScrollRequest::line_down:
        case ScrollRequest::page_down:
            return current < last ? std::optional<int>(current + 1) : std::nullopt;
        case ScrollRequest::thumb:
            return std::clamp(thumb, 0, last);
        case ScrollRequest::top:
            return 0;
        case ScrollRequest::bottom:
            return last;
        case ScrollRequest::other:
            break;
    }
    return std::nullopt;
}

}  // namespace travex::slides
