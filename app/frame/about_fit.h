#pragma once
// Fitting the About picture's texts to the room they have: a face wider than the one the
// picture was laid out for (a fallback standing in for Arial) must not run one text into the
// next, as "Software" into "RQ-7310".
#include <cstddef>
#include <functional>
#include <span>

#include "frame/about_picture.h"

namespace travex {

// Pixels kept free between a text and the next one on its line.
inline constexpr int kAboutTextGap = 6;
// A text is never made smaller than this cell height.
inline constexpr int kAboutSmallestCell = 8;

// The widest the text at `index` may be: up to the nearest text to its right that shares its
// line (their cells overlap by more than a quarter of the smaller one), less the gap, or up to
// the picture's right edge.
int about_text_room(std::span<const AboutText> texts, std::size_t index);

// The cell height to draw a text in: its own when the text fits `room` at that height, else the
// largest smaller one at which it fits, never below kAboutSmallestCell. `width_at` measures the
// text at a cell height.
int fitted_cell_height(int cell_height, int room, const std::function<int(int)>& width_at);

}  // namespace travex
