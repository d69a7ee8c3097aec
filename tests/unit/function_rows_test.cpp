#include <gtest/gtest.h>

#include <cmath>

#include "panels/function_rows.h"

namespace travex {
namespace {

// A font whose cell is 1.17 em rounded up, like the calculator font's (ascent plus descent of
// its DejaVu outlines).
int tall_cell(int em) {
    return static_cast<int>(std::ceil(em * 1.17));
}

TEST(FunctionRows, ATallCellShrinksUntilItFitsItsRow) {
    // Ten points at 96 dpi ask for a 13-pixel em, whose 16-pixel cell would reach three pixels
    // into the next row: the underscore of "Zm_Auto" and the tail of "log" were drawn over.
    for (const int dpi : {72, 96, 120, 144, 192}) {
        const int row = function_row_height(dpi);
        const int em = fitted_font_height(row, row, tall_cell);
        EXPECT_LE(tall_cell(em), row) << dpi << " dpi";
        EXPECT_GT(tall_cell(em + 1), row) << dpi << " dpi: not the largest that fits";
    }
    EXPECT_EQ(fitted_font_height(13, 13, tall_cell), 11);
}

TEST(FunctionRows, UnevenRoundingIsSteppedPast) {
    // A font whose hinting makes the proportional guess (13 x 13 / 14 = 12) too tall.
    const auto uneven = [](int em) { return em == 13 ? 14 : em + 2; };
    EXPECT_EQ(fitted_font_height(13, 13, uneven), 11);
}

TEST(FunctionRows, NeverBelowOnePixel) {
    EXPECT_EQ(fitted_font_height(0, 13, tall_cell), 1);
    EXPECT_EQ(fitted_font_height(13, 0, [](int) { return 40; }), 1);
    EXPECT_EQ(fitted_font_height(5, 13, [](int) { return 40; }), 1);
}

}  // namespace
}  // namespace travex
