#pragma once
// Where the parts of a slide show window go: the title field above, the page area below it with
// the scroll bar at its right edge, and the pages flowing through the page area in rows of
// fixed-size cells, one row per scroll step.
#include <cstddef>
#include <optional>

namespace travex::slides {

// A page window: the 132 × 64 page drawn at (20, 20), its number below it.
inline constexpr int kCellWidth = 132 + 40;
inline constexpr int kCellHeight = 124;
inline constexpr int kPageInset = 20;
// The page number is centred this far above the page window's bottom edge.
inline constexpr int kNumberAboveBottom = 25;

// The title caption and field.
inline constexpr int kCaptionX = 10;
inline constexpr int kCaptionY = 6;
inline constexpr int kTitleX = 80;
inline constexpr int kTitleY = 2;
inline constexpr int kTitleRightMargin = 10;  // the field spans the width less 90 pixels

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Rect&) const = default;
};

struct WindowLayout {
    Rect title;
    Rect pages;       // the page area; pages flow through its width
    Rect scroll_bar;  // at the right edge, beside the page area
};

// The parts of a window whose client area is width × height, for a title font of text_height
// pixels and a scroll bar scroll_bar_width wide. Sizes never go below zero.
WindowLayout layout_window(int width, int height, int text_height, int scroll_bar_width);

// Pages in one row of a page area row_width wide: a page starts a new row when its cell would
// reach or pass the right edge, and a cell that is not narrower than the width has a row of its
// own.
int pages_per_row(int row_width);

// Rows that page_count pages fill (0 for none).
int row_count(std::size_t page_count, int row_width);

// The page window of page index (from 0) with row top_row shown at the top of the page area.
Rect page_cell(std::size_t index, int row_width, int top_row);

// How the scroll bar was moved.
enum class ScrollRequest { line_up, line_down, page_up, page_down, thumb, top, bottom, other };

// The row to show at the top after a scroll request, or nullopt when the view stays: steps
// beyond the first or last row are ignored, the thumb goes to its position (kept within the
// rows), top and bottom go to the first and last row.
std::optional<int> scrolled_row(int current, int rows, ScrollRequest request, int thumb = 0);

}  // namespace travex::slides
