// Bitmap files from outside: an accepted bitmap written out again reads back to the same pixels.
#include "fuzz_check.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex::image;
    const auto read = read_bitmap_file(std::span(data, size));
    if (read.message != travex::MessageId::none) {
        return 0;
    }
    const auto again = read_bitmap_file(bitmap_file(read.image));
    travex::fuzz::fail_if(
        again.message != travex::MessageId::none || again.image.pixels != read.image.pixels ||
        png_black_and_white(read.image.framed_width(), kFramedHeight, dark_pixels(read.image))
            .empty());
    return 0;
}
