
#include <gtest/gtest.h>

#include <string_view>

#include "base/le_bytes.h"
#include "frame/about_fit.h"
#include "frame/about_picture.h"

namespace travex {
namespace {

std::size_t index_of(std::string_view fixed_text) {
    const auto texts = about_texts();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].fixed_text == fixed_text) {
            return i;
        }
    }
    ADD_FAILURE() << fixed_text << " is not written on the picture";
    return 0;
}

// A face that draws every character `per_height` of the cell height wide.
auto face(std::string_view text, double per_height) {
    return [text, per_height](int height) {
        return static_cast<int>(height * per_height * static_cast<double>(text.size()));
    };
}

TEST(AboutFit, EachTextReachesOnlyToTheNextOnItsLine) {
    const auto texts = about_texts();
    // "Software" shares its line with "RQ-7310" and stops short of it.
    EXPECT_EQ(about_text_room(texts, index_of("Software")), 300 - kAboutTextGap - 160);
    // "TRAVEX" sits above "RQ-7310": their cells touch by a few pixels, which is no shared line.
    EXPECT_EQ(about_text_room(texts, index_of("TRAVEX")), kAboutWidth - 160);
}

TEST(AboutFit, AWiderFaceIsMadeSmallerUntilItFits) {
    // DejaVu Sans standing in for Arial ran "Software" into "RQ-7310".
    const int room = about_text_room(about_texts(), index_of("Software"));
    const auto wide = face("Software", 0.62);
    const int height = fitted_cell_height(38, room, wide);
    EXPECT_LT(height, 38);
    EXPECT_LE(wide(height), room);
    EXPECT_GT(wide(height + 1), room) << "smaller than it needs to be";
}

TEST(AboutFit, NeverSmallerThanTheSmallestCell) {
    EXPECT_EQ(fitted_cell_height(38, 10, face("Software", 0.62)), kAboutSmallestCell);
    EXPECT_EQ(fitted_cell_height(38, -5, face("Software", 0.62)), kAboutSmallestCell);
    // A cell already at the smallest is kept even when the text does not fit.
    EXPECT_EQ(fitted_cell_height(kAboutSmallestCell, 1, face("TRAVEX", 1.0)), kAboutSmallestCell);
    // A proportional guess that falls short (hinting makes 38 wide for its size) is stepped
    // up to the largest height that fits.
    const auto uneven = [](int height) { return height == 38 ? 400 : height * 5; };
    EXPECT_EQ(fitted_cell_height(38, 100, uneven), 20);
}

// A 500 x 300 8-bit picture file with a grey palette and every pixel at index 7.
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
    write_u32le(file, 34, kAboutWidth * kAboutHeight);
    for (int k = 0; k < 256; ++k) {
        for (int c = 0; c < 3; ++c) {
            file[kAboutPaletteOffset + 4 * k + c] = static_cast<std::uint8_t>(k);
        }
    }
    std::fill(file.begin() + kAboutPixelOffset, file.end(), 7);
    return file;
}

std::uint8_t pixel(const Bytes& picture, int x, int y) {
    return picture[kAboutPixelOffset + static_cast<std::size_t>(y) * kAboutWidth + x];
}

// A white mask with the given pixels (column, row from the bottom) set to near-white or dark.
std::vector<std::uint8_t> mask_pixels(int width, int height) {
    return std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 4, 255);
}
void mark(std::vector<std::uint8_t>& pixels, int width, int column, int row, int channel,
          std::uint8_t value) {
    pixels[(static_cast<std::size_t>(row) * width + column) * 4 + channel] = value;
}

TEST(AboutPicture, AcceptsOnlyTheFullSize8BitBottomUpPicture) {
    const Bytes good = blank_picture();
    ASSERT_TRUE(load_about_picture(good));
    EXPECT_EQ(load_about_picture(good)->size(), 151078u);

    Bytes short_file(good.begin(), good.end() - 1);
    EXPECT_FALSE(load_about_picture(short_file));
    for (const auto& [offset, value] :
         {std::pair{28, 24}, {18, 501}, {22, -300}, {30, 1}, {10, 1074}, {14, 124}}) {
        Bytes bad = good;
        write_u32le(bad, static_cast<std::size_t>(offset), static_cast<std::uint32_t>(value));
        if (offset == 28) {
            write_u16le(bad, 28, static_cast<std::uint16_t>(value));
        }
        EXPECT_FALSE(load_about_picture(bad)) << "field at " << offset;
    }
    Bytes not_bmp = good;
    not_bmp[1] = 'A';
    EXPECT_FALSE(load_about_picture(not_bmp));
}

TEST(AboutPicture, StampSetsMarkedPixelsBottomUpAndClipsAtTheEdges) {
    Bytes picture = *load_about_picture(blank_picture());
    auto pixels = mask_pixels(3, 2);
    mark(pixels, 3, 0, 0, 0, 254);  // bottom-left, only blue below white
    mark(pixels, 3, 2, 1, 2, 0);    // top-right, red
    stamp_text(picture, TextMask{3, 2, pixels}, 10, 20, 99);
    EXPECT_EQ(pixel(picture, 10, 20), 99);
    EXPECT_EQ(pixel(picture, 12, 21), 99);
    EXPECT_EQ(pixel(picture, 11, 20), 7);
    EXPECT_EQ(pixel(picture, 10, 21), 7);

    // A text reaching past the right and top edges keeps to the picture.
    auto edge = mask_pixels(4, 4);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            mark(edge, 4, column, row, 1, 0);
        }
    }
    const Bytes before = picture;
    stamp_text(picture, TextMask{4, 4, edge}, kAboutWidth - 2, kAboutHeight - 2, 5);
    EXPECT_EQ(picture.size(), before.size());
    EXPECT_EQ(pixel(picture, kAboutWidth - 1, kAboutHeight - 1), 5);
    EXPECT_EQ(pixel(picture, kAboutWidth - 2, kAboutHeight - 2), 5);
    EXPECT_EQ(pixel(picture, kAboutWidth - 3, kAboutHeight - 2), 7);
    stamp_text(picture, TextMask{4, 4, edge}, -2, -2, 6);
    EXPECT_EQ(pixel(picture, 0, 0), 6);
    EXPECT_EQ(pixel(picture, 1, 1), 6);
    EXPECT_EQ(pixel(picture, 2, 2), 7);
    // A mask whose pixel block is smaller than its size draws nothing.
    const Bytes untouched = picture;
    stamp_text(picture, TextMask{4, 5, edge}, 100, 100, 9);
    EXPECT_EQ(picture, untouched);
}

}  // namespace
}  // namespace travex
