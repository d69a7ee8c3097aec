// Slide show files from outside: reading, decoding every page and saving a copy stay within
// their buffers; each page decodes to at most one screen.
#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "slideshow/slide_show.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const auto read =
        travex::slides::read_slide_show(file, size > 0 ? static_cast<char>(data[0]) : '6');
    for (const auto& page : read.show.pages) {
        travex::fuzz::fail_if(page.decoded.produced > travex::slides::kPageBytes);
    }
    const auto page = travex::slides::decode_page(file);
    travex::fuzz::fail_if(page.produced > travex::slides::kPageBytes);
    const auto copy = travex::slides::retitled_copy(file, "C:\\a\\copy.g6s", "title");
    travex::fuzz::fail_if(!copy.empty() && copy.size() != size);
    return 0;
}
