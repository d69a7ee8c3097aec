// Slide show files from outside: reading, decoding every page and saving a copy stay within
// their buffers; each page decodes to at most one screen.
#include "fuzz_check.h"
#include "slideshow/slide_show.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace travex::slides;
    const std::span<const std::uint8_t> file(data, size);
    for (const auto& page :
         read_slide_show(file, size > 0 ? static_cast<char>(data[0]) : '6').show.pages) {
        travex::fuzz::fail_if(page.decoded.produced > kPageBytes);
    }
    const auto copy = retitled_copy(file, "C:\\a\\copy.g6s", "title");
    travex::fuzz::fail_if(decode_page(file).produced > kPageBytes ||
                          (!copy.empty() && copy.size() != size));
    return 0;
}
