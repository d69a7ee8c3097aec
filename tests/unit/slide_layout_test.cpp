#include "slideshow/slide_layout.h"

#include <gtest/gtest.h>

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

TEST(SlideLayout, NarrowAreasShowOnePagePerRow) {
    for (int width : {-5, 0, 50, 171}) {
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(page_cell(i, width, 0),
                      (Rect{0, static_cast<int>(i) * kCellHeight, kCellWidth, kCellHeight}));
        }
        EXPECT_EQ(row_count(4, width), 4);
    }
}

TEST(SlideLayout, PagesFlowInRowsAndTheTopRowShiftsThemUp) {
    const int width = 3 * kCellWidth + 1;  // three cells and one pixel to spare
    EXPECT_EQ(row_count(0, width), 0);
    EXPECT_EQ(row_count(3, width), 1);
    EXPECT_EQ(row_count(7, width), 3);
    EXPECT_EQ(page_cell(0, width, 0), (Rect{0, 0, 172, 124}));
    EXPECT_EQ(page_cell(2, width, 0), (Rect{344, 0, 172, 124}));
    EXPECT_EQ(page_cell(3, width, 0), (Rect{0, 124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 0), (Rect{0, 248, 172, 124}));
    // Row 1 at the top: the first row sits above the area, the third one row down.
    EXPECT_EQ(page_cell(0, width, 1), (Rect{0, -124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 1), (Rect{0, 124, 172, 124}));
    EXPECT_EQ(page_cell(6, width, 2), (Rect{0, 0, 172, 124}));
}

TEST(SlideLayout, WindowPartsFollowTheTitleFontAndTheWidth) {
    const WindowLayout layout = layout_window(600, 400, 16, 17);
    EXPECT_EQ(layout.title, (Rect{80, 2, 510, 24}));
    EXPECT_EQ(layout.pages, (Rect{0, 30, 583, 370}));
    EXPECT_EQ(layout.scroll_bar, (Rect{583, 30, 17, 370}));
    // A window smaller than its parts gives empty parts, never negative sizes.
    const WindowLayout tiny = layout_window(10, 5, 16, 17);
    EXPECT_EQ(tiny.title.width, 0);
    EXPECT_GE(tiny.pages.width, 0);
    EXPECT_GE(tiny.pages.height, 0);
    EXPECT_GE(tiny.scroll_bar.height, 0);
    EXPECT_EQ(tiny.scroll_bar.x + tiny.scroll_bar.width, 10);
}

TEST(SlideScroll, StepsStopAtTheEndsAndJumpsStayWithinTheRows) {
    using enum ScrollRequest;
    EXPECT_EQ(scrolled_row(0, 5, line_up), std::nullopt);
    EXPECT_EQ(scrolled_row(0, 5, page_up), std::nullopt);
    EXPECT_EQ(scrolled_row(2, 5, line_up), 1);
    EXPECT_EQ(scrolled_row(2, 5, page_up), 1);  // a page is one row too
    EXPECT_EQ(scrolled_row(2, 5, line_down), 3);
    EXPECT_EQ(scrolled_row(2, 5, page_down), 3);
    EXPECT_EQ(scrolled_row(4, 5, line_down), std::nullopt);
    EXPECT_EQ(scrolled_row(4, 5, page_down), std::nullopt);
    EXPECT_EQ(scrolled_row(1, 5, thumb, 3), 3);
    EXPECT_EQ(scrolled_row(1, 5, thumb, 9), 4);
    EXPECT_EQ(scrolled_row(1, 5, thumb, -2), 0);
    EXPECT_EQ(scrolled_row(3, 5, top), 0);
    EXPECT_EQ(scrolled_row(1, 5, bottom), 4);
    EXPECT_EQ(scrolled_row(1, 5, other), std::nullopt);
    // A show without pages has nowhere to go.
    EXPECT_EQ(scrolled_row(0, 0, line_down), std::nullopt);
    EXPECT_EQ(scrolled_row(0, 0, bottom), 0);
}

}  // namespace
}  // namespace travex::slides
