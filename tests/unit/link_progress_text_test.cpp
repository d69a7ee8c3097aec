// The progress window's text line: kept when it fits, else cut to fit with "..." after it.
#include <gtest/gtest.h>

#include "link/progress_text.h"

namespace travex {
namespace {

// Every character is 7 pixels wide, as with a fixed-pitch font.
int fixed_width(std::string_view text) {
    return static_cast<int>(text.size()) * 7;
}

TEST(ProgressText, FittingTextStaysAndLongTextEndsInDots) {
    EXPECT_EQ(link::fit_progress_text("prog.g6p", 56, fixed_width), "prog.g6p");   // exactly fits
    EXPECT_EQ(link::fit_progress_text("prog.g6p1", 56, fixed_width), "prog....");  // 5 + 3 = 8
    EXPECT_EQ(link::fit_progress_text("", 0, fixed_width), "");
    const std::string long_name(300, 'w');
    const std::string cut = link::fit_progress_text(long_name, 252, fixed_width);
    EXPECT_EQ(cut, std::string(33, 'w') + "...");
    EXPECT_LE(fixed_width(cut), 252);
    EXPECT_EQ(link::fit_progress_text("abcdef", 10, fixed_width), "...");  // no room for more
}

TEST(ProgressText, ProportionalWidthsFindTheLongestFittingBeginning) {
    // Wide letters 'W' (12 px) and narrow ones (3 px); dots are 3 px.
    auto width = [](std::string_view text) {
        int w = 0;
        for (const char c : text) {
            w += c == 'W' ? 12 : 3;
        }
        return w;
    };
    const std::string text = "iiiiWWWWiiii";  // 12 + 48 + 12 = 72
    EXPECT_EQ(link::fit_progress_text(text, 72, width), text);
    EXPECT_EQ(link::fit_progress_text(text, 71, width), "iiiiWWWW...");  // 60 + 9; one more i is 72
    EXPECT_EQ(link::fit_progress_text(text, 40, width), "iiiiW...");     // 24 + 9; one more W is 45
}

}  // namespace
}  // namespace travex
