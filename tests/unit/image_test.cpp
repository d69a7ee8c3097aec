#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/le_bytes.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"

namespace travex::image {
namespace {

// A picture file image written out by hand: header, variable code, unused byte, bands.
Bytes picture_bytes(char digit, char letter, std::size_t band_length, std::size_t extra = 0) {
    Bytes file(54 + 3 + 8 * band_length + extra, 0);
    file[0] = static_cast<std::uint8_t>(digit);
    file[1] = static_cast<std::uint8_t>(letter);
    file[54] = 0x10;
    file[55] = 0x0D;
    for (std::size_t band = 0; band < 8; ++band) {
        for (std::size_t col = 0; col < band_length; ++col) {
            file[57 + band * band_length + col] = static_cast<std::uint8_t>(band * 31 + col);
        }
    }
    return file;
}

TEST(PictureFile, HeaderExtensionAndExactSizeDecide) {
    // {header digit, letter, band length, extra bytes, extension digit, message}
    // clang-format off
    const std::tuple<char, char, std::size_t, std::size_t, char, MessageId> cases[] = {
        {'4', 'I', 127, 0, '4', MessageId::none}, {'3', 'i', 95, 0, '3', MessageId::none},
        {'6', 'i', 127, 1, '6', MessageId::no_data}, {'6', 'i', 95, 0, '6', MessageId::no_data},
        {'6', 'p', 127, 0, '6', MessageId::cannot_read},
    };
    // clang-format on
    for (const auto& [digit, letter, band_length, extra, extension, message] : cases) {
        EXPECT_EQ(
            read_picture_file(picture_bytes(digit, letter, band_length, extra), extension).message,
            message)
            << digit << letter << " " << band_length << "+" << extra;
    }

    const PictureFile wide = read_picture_file(picture_bytes('6', 'i', 127), '6');
    EXPECT_EQ(wide.screen.width, 132);
    EXPECT_EQ(wide.screen.bands[2 * 132 + 5], static_cast<std::uint8_t>(2 * 31 + 5));
    EXPECT_EQ(wide.screen.bands[7 * 132 + 127], 0);  // past the file's columns
}

TEST(ScreenDump, TakesWholeScreensOnlyAndShortCapturesLeaveTheRestBlank) {
    EXPECT_EQ(screen_from_dump(Bytes(1056, 0))->width, 132);
    EXPECT_EQ(screen_from_dump(Bytes(768, 0))->width, 96);
    EXPECT_FALSE(screen_from_dump(Bytes(1055, 0)).has_value());
    EXPECT_FALSE(screen_from_dump(Bytes(1057, 0)).has_value());
    const ScreenData short_capture = screen_from_capture(Bytes(100, 0xFF), 96);
    ASSERT_EQ(short_capture.bands.size(), 768u);
    EXPECT_EQ(std::count(short_capture.bands.begin(), short_capture.bands.end(), 0xFF), 100);
    EXPECT_EQ(screen_from_capture(Bytes(2000, 0x01), 132).bands, Bytes(1056, 0x01));
}

TEST(BitmapFile, RefusesOtherBitmaps) {
    const Bytes good = bitmap_file(frame_screen(blank_screen(132)));
    // {offset, 32-bit value, accepted}; a pixel offset beyond the file would leave the picture
    // reading past it, a smaller one takes the pixels from there.
    const std::tuple<std::size_t, std::uint32_t, bool> changes[] = {{22, 0xFFFFFFBEu, false},
                                                                    {30, 1, false},
                                                                    {10, 0xFFFFFFF0u, false},
                                                                    {10, 63, false},
                                                                    {10, 54, true}};
    for (const auto& [at, value, accepted] : changes) {
        Bytes file = good;
        write_u32le(file, at, value);
        EXPECT_EQ(read_bitmap_file(file).message,
                  accepted ? MessageId::none : MessageId::no_bitmap_data)
            << at;
    }
    // Cut inside the header, or rows missing at the end.
    for (const std::size_t size : {std::size_t{61}, good.size() - 1}) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(read_bitmap_file(cut).message, MessageId::no_bitmap_data) << size;
    }
}

}  // namespace
}  // namespace travex::image
