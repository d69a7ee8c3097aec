#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "base/le_bytes.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"
#include "tests/unit/fault_file_system.h"

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

ScreenData screen_with(int width, std::initializer_list<std::pair<int, int>> dark) {
    ScreenData screen = blank_screen(width);
    for (auto [x, y] : dark) {
        screen.bands[static_cast<std::size_t>((y / 8) * width + x)] |=
            static_cast<std::uint8_t>(0x80 >> (y % 8));
    }
    return screen;
}

TEST(PictureFile, HeaderExtensionAndExactSizeDecide) {
    // {header digit, letter, band length, extra bytes, extension digit, message}
    // clang-format off
    const std::tuple<char, char, std::size_t, std::size_t, char, MessageId> cases[] = {
        {'6', 'i', 127, 0, '6', MessageId::none}, {'4', 'I', 127, 0, '4', MessageId::none},
        {'3', 'i', 95, 0, '3', MessageId::none}, {'6', 'i', 127, 1, '6', MessageId::no_data},
        {'6', 'i', 95, 0, '6', MessageId::no_data}, {'3', 'i', 127, 0, '3', MessageId::no_data},
        {'6', 'p', 127, 0, '6', MessageId::cannot_read}, {'4', 'i', 127, 0, '6', MessageId::cannot_read},
        {'6', 'i', 127, 0, '\0', MessageId::cannot_read},
    };
    // clang-format on
    for (const auto& [digit, letter, band_length, extra, extension, message] : cases) {
        EXPECT_EQ(
            read_picture_file(picture_bytes(digit, letter, band_length, extra), extension).message,
            message)
            << digit << letter << " " << band_length << "+" << extra;
    }
    for (const std::size_t size : {std::size_t{1072}, std::size_t{54}}) {
        Bytes cut = picture_bytes('6', 'i', 127);
        cut.resize(size);
        EXPECT_EQ(read_picture_file(cut, '6').message, MessageId::no_data) << size;
    }

    const PictureFile wide = read_picture_file(picture_bytes('6', 'i', 127), '6');
    EXPECT_EQ(wide.screen.width, 132);
    EXPECT_EQ(wide.variable_code, (std::array<std::uint8_t, 2>{0x10, 0x0D}));
    EXPECT_EQ(wide.screen.bands[2 * 132 + 5], static_cast<std::uint8_t>(2 * 31 + 5));
    for (int col = 127; col < 132; ++col) {
        EXPECT_EQ(wide.screen.bands[7 * 132 + col], 0) << "unused column " << col;
    }
}

TEST(PictureFile, BuiltFilesReadBackTheSamePicture) {
    ScreenData screen = screen_with(132, {{0, 0}, {126, 63}, {60, 30}});
    const Bytes file = build_picture_file(screen, '6', {0x11, 0x0D});
    ASSERT_EQ(file.size(), 1073u);
    const PictureFile read = read_picture_file(file, '6');
    ASSERT_EQ(read.message, MessageId::none);
    EXPECT_EQ(read.screen.bands, screen.bands);
    EXPECT_EQ(file[2], 0x11);
    EXPECT_EQ(file[3], 0x0D);
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

TEST(BitmapFile, HeaderFieldsAreExact) {
    for (const std::uint32_t width : {132u, 96u}) {
        const Bytes file = bitmap_file(frame_screen(blank_screen(static_cast<int>(width))));
        const std::uint32_t image_size = width == 132 ? 1320 : 1056;
        ASSERT_EQ(file.size(), 62 + image_size);
        const std::pair<std::size_t, std::uint32_t> u32s[] = {
            {2, 62 + image_size}, {6, 0},   {10, 62}, {14, 40},
            {18, width + 2},      {22, 66}, {30, 0},  {34, image_size}};
        for (const auto& [at, value] : u32s) {
            EXPECT_EQ(read_u32le(file, at), value) << "offset " << at;
        }
        EXPECT_EQ(Bytes(file.begin(), file.begin() + 2), (Bytes{'B', 'M'}));
        EXPECT_EQ(read_u16le(file, 26), 1);
        EXPECT_EQ(read_u16le(file, 28), 1);
        EXPECT_EQ(Bytes(file.begin() + 38, file.begin() + 54), Bytes(16, 0));
        EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 62),
                  (Bytes{0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0}));
        EXPECT_EQ(packed_dib(frame_screen(blank_screen(static_cast<int>(width)))),
                  Bytes(file.begin() + 14, file.end()));
    }
}

TEST(BitmapFile, RefusesOtherBitmaps) {
    const Bytes good = bitmap_file(frame_screen(blank_screen(132)));
    // {offset, value, field size, accepted}
    // clang-format off
    const std::tuple<std::size_t, std::uint32_t, int, bool> changes[] = {
        {18, 133, 4, false}, {18, 132, 4, false}, {22, 64, 4, false}, {22, 0xFFFFFFBEu, 4, false},
        {28, 4, 2, false}, {30, 1, 4, false}, {0, 'X' | ('M' << 8), 2, false},
        // A pixel offset beyond the file would leave the picture reading past it.
        {10, 0xFFFFFFF0u, 4, false}, {10, 63, 4, false},
        // Planes are not checked; a smaller pixel offset takes the pixels from there.
        {26, 3, 2, true}, {10, 54, 4, true}};
    // clang-format on
    for (const auto& [at, value, size, accepted] : changes) {
        Bytes file = good;
        if (size == 2) {
            write_u16le(file, at, static_cast<std::uint16_t>(value));
        } else {
            write_u32le(file, at, value);
        }
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

TEST(BitmapFile, SavingChecksSpacePathAndKeepsOldFilesOnFailure) {
    testing::FaultFileSystem fs;
    const ScreenImage image = frame_screen(blank_screen(132));
    fs.free_bytes = 1381;
    EXPECT_EQ(save_bitmap_file(fs, "a.bmp", image), MessageId::disk_full);
    fs.free_bytes = 1382;
    EXPECT_EQ(save_bitmap_file(fs, "a.bmp", image), MessageId::none);
    EXPECT_EQ(fs.files["a.bmp"].size(), 1382u);
    EXPECT_EQ(save_bitmap_file(fs, std::string(252, 'p') + ".bmp", image),
              MessageId::name_too_long);
    fs.files["old.bmp"] = {1, 2};
    fs.failing_paths.insert("old.bmp");
    EXPECT_EQ(save_bitmap_file(fs, "old.bmp", image), MessageId::cannot_create);
    EXPECT_EQ(fs.files["old.bmp"], (Bytes{1, 2}));
}

}  // namespace
}  // namespace travex::image
