// Picture files and screen dumps from outside: reading and framing stay within the picture.
#include "fuzz_check.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex::image;
    for (char digit : {'6', '3', size > 0 ? static_cast<char>(data[0]) : '0'}) {
        const auto picture = read_picture_file(std::span(data, size), digit);
        if (picture.message == travex::MessageId::none) {
            const auto image = frame_screen(picture.screen);
            travex::fuzz::fail_if(image.pixels.size() !=
                                  bitmap_row_bytes(image.framed_width()) * 66);
        }
    }
    if (const auto dump = screen_from_dump(std::span(data, size))) {
        (void)frame_screen(*dump);
    }
    return 0;
}
