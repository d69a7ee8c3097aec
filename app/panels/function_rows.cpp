#include "panels/function_rows.h"

#include <algorithm>

namespace travex {

int function_row_height(int pixels_per_inch) {
    return pixels_per_inch * 10 / 72;
}

int fitted_font_height(int row_height, int requested,
                       const std::function<int(int em_height)>& cell_height_at) {
    const int first = std::max(1, requested);
    const int cell = cell_height_at(first);
    if (cell <= row_height || first == 1) {
        return first;
    }
    // Cells grow about in proportion to the em: start from the proportional guess, then step,
    // since a font's rounding can make the guess a pixel too tall or too short.
    int em = std::clamp(first * row_height / std::max(1, cell), 1, first - 1);
    while (em > 1 && cell_height_at(em) > row_height) {
        --em;
    }
    while (em + 1 < first && cell_height_at(em + 1) <= row_height) {
        ++em;
    }
    return em;
}

}  // namespace travex
