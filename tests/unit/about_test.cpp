#include <gtest/gtest.h>

#include <algorithm>

#include "base/le_bytes.h"
#include "frame/about_fit.h"
#include "frame/about_picture.h"

namespace travex {
namespace {

// DejaVu Sans standing in for Arial ran "Software" into "RQ-7310" on its line: a wider face is
// drawn at the largest cell that fits, stepped up past uneven hinting, never below the smallest.
TEST(AboutFit, AWiderFaceShrinksToTheLargestCellThatFits) {
    const auto uneven = [](int h) { return h == 38 ? 400 : h * 5; };
    EXPECT_EQ(fitted_cell_height(38, 100, uneven), 20);
    EXPECT_EQ(fitted_cell_height(38, -5, uneven), kAboutSmallestCell);
    // "Software" shares its line with "RQ-7310" and stops short of it.
    const auto texts = about_texts();
    const auto at = std::ranges::find(texts, "Software", &AboutText::fixed_text) - texts.begin();
    EXPECT_EQ(about_text_room(texts, static_cast<std::size_t>(at)), 300 - kAboutTextGap - 160);
}

// A 500 x 300 8-bit picture file with every pixel at index 7.
Bytes blank_picture() {
    Bytes file(kAboutFileSize, 0);
    file[0] = 'B';
    file[1] = 'M';
    write_u32le(file, 2, static_cast<std::uint32_t>(kAboutFileSize));
    write_u32le(file, 10, static_cast<std::uint32_t>(kAboutPixelOffset));
    write_u32le(file, 14, 40);
    write_u32le(file, 18, kAboutWidth);
    write_u32le(file, 22, kAboutHeight);
    write_u16le(file, 26, 1);
    write_u16le(file, 28, 8);
    std::fill(file.begin() + kAboutPixelOffset, file.end(), 7);
    return file;
}

TEST(AboutPicture, AcceptsOnlyTheFullSize8BitBottomUpPicture) {
    const Bytes good = blank_picture();
    ASSERT_TRUE(load_about_picture(good));
    EXPECT_FALSE(load_about_picture(std::span(good).first(good.size() - 1)));
    for (const auto& [offset, value] : {std::pair{18, 501}, {22, -300}, {30, 1}, {10, 1074}}) {
        Bytes bad = good;
        write_u32le(bad, static_cast<std::size_t>(offset), static_cast<std::uint32_t>(value));
        EXPECT_FALSE(load_about_picture(bad)) << "field at " << offset;
    }
}

TEST(AboutPicture, StampClipsAtEveryEdgeAndIgnoresAShortMask) {
    Bytes picture = *load_about_picture(blank_picture());
    const auto pixel = [&](int x, int y) {
        return picture[kAboutPixelOffset + static_cast<std::size_t>(y) * kAboutWidth + x];
    };
    std::vector<std::uint8_t> dark(4 * 4 * 4, 0);
    dark[0] = 254;  // column 0, row 0: near white still marks
    dark[1] = dark[2] = dark[4] = dark[5] = dark[6] = 255;  // column 1, row 0: white does not
    stamp_text(picture, TextMask{4, 4, dark}, kAboutWidth - 2, kAboutHeight - 2, 5);
    EXPECT_EQ(pixel(kAboutWidth - 1, kAboutHeight - 1), 5);
    EXPECT_EQ(pixel(kAboutWidth - 2, kAboutHeight - 2), 5);
    EXPECT_EQ(pixel(kAboutWidth - 1, kAboutHeight - 2), 7);
    EXPECT_EQ(pixel(kAboutWidth - 3, kAboutHeight - 2), 7);
    stamp_text(picture, TextMask{4, 4, dark}, -2, -2, 6);
    EXPECT_EQ(pixel(0, 0), 6);
    EXPECT_EQ(pixel(2, 2), 7);
    const Bytes untouched = picture;
    stamp_text(picture, TextMask{4, 5, dark}, 100, 100, 9);
    EXPECT_EQ(picture, untouched);
    EXPECT_EQ(picture.size(), kAboutFileSize);
}

}  // namespace
}  // namespace travex
