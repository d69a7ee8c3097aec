#pragma once
// The screen as a 1-bit-per-pixel bitmap: the picture with a one-pixel dark frame, (W + 2) × 66
// pixels, rows stored bottom-up and padded to multiples of 4 bytes, bit 1 = black (colour 1),
// the leftmost pixel in the most significant bit. This pixel block is what a screen image
// window shows, saves as a bitmap file and copies to the clipboard.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/file_system.h"
#include "files/file_messages.h"
#include "image/screen_data.h"

namespace travex::image {

inline constexpr int kFramedHeight = kScreenHeight + 2;
inline constexpr std::size_t kBitmapFileHeaderSize = 14;
inline constexpr std::size_t kBitmapInfoHeaderSize = 40;
inline constexpr std::size_t kBitmapPaletteSize = 8;
inline constexpr std::size_t kBitmapPixelOffset = 62;

// Bytes of one stored row of a 1-bit-per-pixel bitmap of the given pixel width.
constexpr std::size_t bitmap_row_bytes(int pixel_width) {
    return static_cast<std::size_t>((pixel_width + 31) / 32) * 4;
}

struct ScreenImage {
    int width = kWideWidth;  // W, the picture without its frame
    Bytes pixels;            // kFramedHeight rows of bitmap_row_bytes(W + 2), bottom row first

    int framed_width() const { return width + 2; }
    // Pixel (x, y) of the framed picture, from its top left.
    bool dark(int x, int y) const;
};

// The framed display bitmap of screen data. Row padding bits are left white.
ScreenImage frame_screen(const ScreenData& screen);

// The picture without its frame as 1-bit-per-pixel rows, bottom row first, each row W pixels
// rounded up to 32 (the page bitmaps of slide shows).
Bytes unframed_pixels(const ScreenData& screen);

// The bitmap file of a screen image: file header, info header, white and black, pixels.
Bytes bitmap_file(const ScreenImage& image);

// The clipboard form: the bitmap file without its 14-byte file header.
Bytes packed_dib(const ScreenImage& image);

struct BitmapRead {
    MessageId message = MessageId::none;  // 413 when the file is not such a bitmap
    ScreenImage image;
};

// Reads a bitmap file image: "BM", width 134 or 98, height 66, one plane of 1 bit per pixel,
// no compression, and all 66 rows present from the pixel offset on. The pixels are taken as
// they are, frame included.
BitmapRead read_bitmap_file(std::span<const std::uint8_t> file);

// Saves the bitmap file of a screen image under path, replacing any old file only once the new
// one is complete: not enough free space (419), a path of 256 characters or more (428), the
// file cannot be created (427). Answers MessageId::none when written.
MessageId save_bitmap_file(FileSystem& fs, const std::string& path, const ScreenImage& image);

// The framed picture, one byte per pixel top row first (1 dark, 0 light), for image encoders.
std::vector<std::uint8_t> dark_pixels(const ScreenImage& image);

}  // namespace travex::image
