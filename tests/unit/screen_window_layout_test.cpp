// What a screen image window places and decides without drawing.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>

#include "image/screen_window_layout.h"

namespace travex {
namespace {

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

}  // namespace
}  // namespace travex
