#pragma once
// The rows of the function-table lists: their fixed height and the size of the calculator font
// that fits a whole character cell into one row, so that no row draws over its neighbour and
// underscores and descenders stay visible.
#include <functional>

namespace travex {

// Row height of the lists for the screen's vertical pixels per logical inch: ten points.
int function_row_height(int pixels_per_inch);

// The character height (em, in pixels) to ask of the font so that its cell fits `row_height`:
// `requested` when its cell already fits, else the largest smaller one whose cell fits, never
// below one pixel. `cell_height_at` measures the cell (ascent plus descent) at an em height.
int fitted_font_height(int row_height, int requested,
                       const std::function<int(int em_height)>& cell_height_at);

}  // namespace travex
