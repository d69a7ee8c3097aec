#include "image/screen_bitmap.h"

#include "base/le_bytes.h"

namespace travex::image {
namespace {

void set_pixel(Bytes& pixels, std::size_t row_bytes, int stored_row, int x) {
    pixels[static_cast<std::size_t>(stored_row) * row_bytes + static_cast<std::size_t>(x / 8)] |=
        static_cast<std::uint8_t>(0x80 >> (x % 8));
}

}  // namespace

bool ScreenImage::dark(int x, int y) const {
    if (x < 0 || y < 0 || x >= framed_width() || y >= kFramedHeight) {
        return false;
    }
    const std::size_t row_bytes = bitmap_row_bytes(framed_width());
    const std::size_t at = static_cast<std::size_t>(kFramedHeight - 1 - y) * row_bytes +
                           static_cast<std::size_t>(x / 8);
    return at < pixels.size() && ((pixels[at] >> (7 - x % 8)) & 1) != 0;
}

ScreenImage frame_screen(const ScreenData& screen) {
    ScreenImage image;
    image.width = screen.width;
    const int framed_width = image.framed_width();
    const std::size_t row_bytes = bitmap_row_bytes(framed_width);
    image.pixels.assign(row_bytes * kFramedHeight, 0);
    for (int y = 0; y < kFramedHeight; ++y) {
        const int stored_row = kFramedHeight - 1 - y;
        if (y == 0 || y == kFramedHeight - 1) {
            for (int x = 0; x < framed_width; ++x) {
                set_pixel(image.pixels, row_bytes, stored_row, x);
            }
            continue;
        }
        set_pixel(image.pixels, row_bytes, stored_row, 0);
        set_pixel(image.pixels, row_bytes, stored_row, framed_width - 1);
        for (int x = 0; x < screen.width; ++x) {
            if (screen.dark(x, y - 1)) {
                set_pixel(image.pixels, row_bytes, stored_row, x + 1);
            }
        }
    }
    return image;
}

Bytes unframed_pixels(const ScreenData& screen) {
    const std::size_t row_bytes = bitmap_row_bytes(screen.width);
    Bytes pixels(row_bytes * kScreenHeight, 0);
    for (int y = 0; y < kScreenHeight; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            if (screen.dark(x, y)) {
                set_pixel(pixels, row_bytes, kScreenHeight - 1 - y, x);
            }
        }
    }
    return pixels;
}

Bytes packed_dib(const ScreenImage& image) {
    Bytes out;
    out.reserve(kBitmapInfoHeaderSize + kBitmapPaletteSize + image.pixels.size());
    append_u32le(out, kBitmapInfoHeaderSize);
    append_u32le(out, static_cast<std::uint32_t>(image.framed_width()));
    append_u32le(out, kFramedHeight);
    append_u16le(out, 1);  // planes
    append_u16le(out, 1);  // bits per pixel
    append_u32le(out, 0);  // no compression
    append_u32le(out, static_cast<std::uint32_t>(image.pixels.size()));
    out.resize(out.size() + 16, 0);  // resolutions and colour counts
    const std::uint8_t palette[kBitmapPaletteSize] = {0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0};
    out.insert(out.end(), palette, palette + kBitmapPaletteSize);
    out.insert(out.end(), image.pixels.begin(), image.pixels.end());
    return out;
}

Bytes bitmap_file(const ScreenImage& image) {
    const Bytes dib = packed_dib(image);
    Bytes out;
    out.reserve(kBitmapFileHeaderSize + dib.size());
    out.push_back('B');
    out.push_back('M');
    append_u32le(out, static_cast<std::uint32_t>(kBitmapPixelOffset + image.pixels.size()));
    append_u32le(out, 0);
    append_u32le(out, kBitmapPixelOffset);
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

BitmapRead read_bitmap_file(std::span<const std::uint8_t> file) {
    BitmapRead read;
    read.message = MessageId::no_bitmap_data;
    if (file.size() < kBitmapPixelOffset) {
        return read;
    }
    const std::uint32_t width = read_u32le(file, 18);
    const bool shape_ok = file[0] == 'B' && file[1] == 'M' && (width == 134 || width == 98) &&
                          read_u32le(file, 22) == kFramedHeight && read_u16le(file, 28) == 1 &&
                          read_u32le(file, 30) == 0;
    if (!shape_ok) {
        return read;
    }
    // All 66 rows must be there: a shorter pixel block would leave the picture reading past
    // the end of the file.
    const std::uint32_t offset = read_u32le(file, 10);
    const std::size_t needed = bitmap_row_bytes(static_cast<int>(width)) * kFramedHeight;
    if (offset > file.size() || file.size() - offset < needed) {
        return read;
    }
    read.message = MessageId::none;
    read.image.width = static_cast<int>(width) - 2;
    read.image.pixels.assign(file.begin() + offset,
                             file.begin() + static_cast<std::ptrdiff_t>(offset + needed));
    return read;
}

MessageId save_bitmap_file(FileSystem& fs, const std::string& path, const ScreenImage& image) {
    const Bytes file = bitmap_file(image);
    const std::optional<std::uint64_t> free = fs.free_space(path);
    if (free && *free < file.size()) {
        return MessageId::disk_full;
    }
    if (path.size() >= kPathLimit) {
        return MessageId::name_too_long;
    }
    if (write_file_atomic(fs, path, file) != WriteResult::written) {
        return MessageId::cannot_create;
    }
    return MessageId::none;
}

std::vector<std::uint8_t> dark_pixels(const ScreenImage& image) {
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(image.framed_width()) * kFramedHeight);
    for (int y = 0; y < kFramedHeight; ++y) {
        for (int x = 0; x < image.framed_width(); ++x) {
            out.push_back(image.dark(x, y) ? 1 : 0);
        }
    }
    return out;
}

}  // namespace travex::image
