#include "slideshow/slide_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include <vector>

namespace travex::slides {
namespace {

TEST(SlideLayout, CellsFitOnlyWhenTheyStayLeftOfTheEdge) {
    // {row width, pages per row}: a cell reaching the edge exactly starts a new row.
    const std::pair<int, int> cases[] = {{0, 1},   {100, 1}, {171, 1}, {172, 1}, {173, 1},
                                         {344, 1}, {345, 2}, {516, 2}, {517, 3}, {1000, 5}};
    for (const auto& [width, per_row] : cases) {
        EXPECT_EQ(pages_per_row(width), per_row) << "width " << width;
    }
}

TEST(SlideLayout, PagesFlowInRowsAndTheTopRowShiftsThemUp) {
    const int width = 3 * kCellWidth + 1;  // three cells and one pixel to spare
    EXPECT_EQ(row_count(0, width), 0);
    EXPECT_EQ(row_count(7, width), 3);
    EXPECT_EQ(page_cell(0, width, 0), (Rect{0, 0, 172, 124}));
    EXPECT_EQ(page_cell(3, width, 0), (Rect{0, 124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 0), (Rect{0, 248, 172, 124}));
    // Row 1 at the top: the first row sits above the area, the third one row down.
    EXPECT_EQ(page_cell(0, width, 1), (Rect{0, -124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 1), (Rect{0, 124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 2), (Rect{0, 0, 172, 124}));
}

TEST(SlideScroll, StepsStopAtTheEndsAndJumpsStayWithinTheRows) {
    using enum ScrollRequest;
    const std::tuple<int, ScrollRequest, int, std::optional<int>> cases[] = {
        {0, line_up, 0, std::nullopt},
        {0, page_up, 0, std::nullopt},
        {2, page_up, 0, 1},
        {2, line_down, 0, 3},
        {4, line_down, 0, std::nullopt},
        {4, page_down, 0, std::nullopt},
        {1, thumb, 9, 4},
        {1, thumb, -2, 0},
        {1, bottom, 0, 4},
        {1, other, 0, std::nullopt}};
    for (const auto& [row, request, position, expected] : cases) {
        EXPECT_EQ(scrolled_row(row, 5, request, position), expected) << row << " " << position;
    }
    // A show without pages has nowhere to go.
    EXPECT_EQ(scrolled_row(0, 0, line_down), std::nullopt);
    EXPECT_EQ(scrolled_row(0, 0, bottom), 0);
}

}  // namespace
}  // namespace travex::slides
