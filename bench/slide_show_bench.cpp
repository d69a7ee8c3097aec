// Opening a slide show: reading and decoding every page of a 100-page show, turning each page
// into the bitmap rows its page window shows, and laying the pages out in the page area. The
// whole of it should stay well under 100 ms.
#include <benchmark/benchmark.h>

#include "base/le_bytes.h"
#include "image/screen_bitmap.h"
#include "slideshow/slide_layout.h"
#include "slideshow/slide_show.h"

namespace {

travex::Bytes hundred_page_show() {
    travex::Bytes file(55, 0);
    file[0] = '6';
    file[1] = 's';
    for (int page = 0; page < 100; ++page) {
        std::array<std::uint8_t, travex::slides::kPageBytes> screen{};
        for (std::size_t i = 0; i < screen.size(); ++i) {
            screen[i] = static_cast<std::uint8_t>((i * (page + 3)) ^ (i >> 4));
        }
        const travex::Bytes compressed = travex::slides::compress_page(screen);
        travex::append_u32le(file, static_cast<std::uint32_t>(compressed.size() + 8));
        travex::append_u32le(file, 0);
        file.insert(file.end(), compressed.begin(), compressed.end());
    }
    file.resize(file.size() + 8, 0);
    return file;
}

void BM_OpenHundredPageSlideShow(benchmark::State& state) {
    const travex::Bytes file = hundred_page_show();
    for (auto _ : state) {
        const travex::slides::ShowRead read = travex::slides::read_slide_show(file, '6');
        std::size_t bytes = 0;
        for (const travex::slides::Page& page : read.show.pages) {
            bytes += travex::image::unframed_pixels(page.decoded.screen_data()).size();
        }
        const int width = 700;
        int bottom = 0;
        for (std::size_t i = 0; i < read.show.pages.size(); ++i) {
            bottom = std::max(bottom, travex::slides::page_cell(i, width, 0).y);
        }
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(bottom);
    }
}
BENCHMARK(BM_OpenHundredPageSlideShow)->Unit(benchmark::kMillisecond);

}  // namespace
