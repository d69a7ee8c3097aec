// What a screen image window places and decides without drawing.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "image/screen_window_layout.h"

namespace travex {
namespace {

TEST(ScreenWindowLayout, EveryZoomIsCentredInTheTwoHundredPercentArea) {
    for (const int width : {132, 96}) {
        const image::PictureRect full = image::zoom_placement(width, 7);
        EXPECT_EQ(full.x, 20);
        EXPECT_EQ(full.y, 20);
        EXPECT_EQ(full.width, 2 * width);
        EXPECT_EQ(full.height, 128);
        for (int k = 0; k < 8; ++k) {
            const image::PictureRect r = image::zoom_placement(width, k);
            EXPECT_EQ(r.width, width * (k + 1) / 4) << k;
            EXPECT_EQ(r.height, 64 * (k + 1) / 4) << k;
            // Centred: the margins left and right of the picture differ by at most a pixel.
            const int left = r.x - 20;
            const int right = 2 * width - (left + r.width);
            EXPECT_LE(std::abs(left - right), 1) << width << " at " << k;
        }
    }
    const image::PictureRect hundred = image::zoom_placement(132, 3);
    EXPECT_EQ(hundred.x, 132 * 4 / 8 + 20);
    EXPECT_EQ(hundred.y, 52);
    // Entries outside the list are taken as 100%.
    EXPECT_EQ(image::zoom_placement(132, 8).width, 132);
    EXPECT_EQ(image::zoom_placement(132, -1).width, 132);
    EXPECT_EQ(image::kZoomEntries[image::kDefaultZoomEntry], "100%");
}

TEST(ScreenWindowLayout, WindowHoldsTheDoubledPictureAndTheZoomBand) {
    EXPECT_EQ(image::screen_window_size(132).width, 306);
    EXPECT_EQ(image::screen_window_size(132).height, 253);
    EXPECT_EQ(image::screen_window_size(96).width, 234);
}

TEST(ScreenWindowLayout, CapturesAreNumberedFromOneThroughTheRun) {
    image::CaptureTitles titles;
    EXPECT_EQ(titles.next(), "Screen image1");
    EXPECT_EQ(titles.next(), "Screen image2");
    EXPECT_EQ(titles.next(), "Screen image3");
}

TEST(ScreenWindowLayout, OnlyAnUnsavedCaptureAsksOnClose) {
    EXPECT_TRUE(image::asks_to_save_on_close("Screen image1"));
    EXPECT_TRUE(image::asks_to_save_on_close("SCREEN IMAGE12"));
    EXPECT_FALSE(image::asks_to_save_on_close("Screen imag"));  // 11 characters
    EXPECT_TRUE(image::asks_to_save_on_close("Screen imageX"));
    EXPECT_FALSE(image::asks_to_save_on_close("Z:\\work\\Screen image1.bmp"));
    EXPECT_FALSE(image::asks_to_save_on_close("C:\\pic.g6i"));
    EXPECT_FALSE(image::asks_to_save_on_close(""));
    EXPECT_EQ(image::save_question("Screen image3"), "Save to Screen image3 ?");
}

TEST(ScreenWindowLayout, NarrowScreensOnlyForTheTwoOldestModels) {
    const std::array<std::uint8_t, 2> narrow1 = {'7', '1'};
    const std::array<std::uint8_t, 2> narrow2 = {'7', '4'};
    const std::array<std::uint8_t, 2> wide = {'7', '5'};
    const std::array<std::uint8_t, 2> other = {'7', '2'};
    EXPECT_EQ(image::capture_width(narrow1), 96);
    EXPECT_EQ(image::capture_width(narrow2), 96);
    EXPECT_EQ(image::capture_width(wide), 132);
    EXPECT_EQ(image::capture_width(other), 132);
    EXPECT_EQ(image::capture_width({}), 132);
}

}  // namespace
}  // namespace travex
