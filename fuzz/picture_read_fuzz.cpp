// Picture files from outside: reading and framing never leave the picture's bounds.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    for (char digit : {'6', '3', size > 0 ? static_cast<char>(data[0]) : '0'}) {
        const auto picture = travex::image::read_picture_file(file, digit);
        if (picture.message == travex::MessageId::none) {
            const auto image = travex::image::frame_screen(picture.screen);
            travex::fuzz::fail_if(image.pixels.size() !=
                                  travex::image::bitmap_row_bytes(image.framed_width()) * 66);
        }
    }
    if (const auto dump = travex::image::screen_from_dump(file)) {
        (void)travex::image::frame_screen(*dump);
    }
    return 0;
}
