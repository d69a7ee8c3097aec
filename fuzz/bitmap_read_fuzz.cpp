// Bitmap files from outside: a bitmap that is accepted holds all 66 rows, and writing it out
// again reads back to the same pixels.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = travex::image::read_bitmap_file(std::span<const std::uint8_t>(data, size));
    if (read.message != travex::MessageId::none) {
        return 0;
    }
    const auto again = travex::image::read_bitmap_file(travex::image::bitmap_file(read.image));
    travex::fuzz::fail_if(again.message != travex::MessageId::none ||
                          again.image.pixels != read.image.pixels);
    const auto png =
        travex::image::png_black_and_white(read.image.framed_width(), travex::image::kFramedHeight,
                                           travex::image::dark_pixels(read.image));
    travex::fuzz::fail_if(png.empty());
    return 0;
}
