#include "sim/firmware_image_maker.h"

#include <algorithm>

#include "base/le_bytes.h"
#include "repro/firmware_image.h"

namespace travex::sim {
namespace {

struct PageSpan {
    std::uint64_t offset;
    std::uint32_t length;
};

std::vector<PageSpan> all_pages(const repro::FlashLayout& layout) {
    std::vector<PageSpan> pages;
    for (const repro::PageArea* area : {&layout.large, &layout.small}) {
        for (std::uint64_t a = area->start; a < area->end; a += area->send_size) {
            pages.push_back({a - layout.from_start, area->send_size});
        }
    }
    return pages;
}

}  // namespace

repro::FlashLayout default_flash_layout() {
    return repro::flash_layout(repro::ReproSettings{});
}

int page_count(const repro::FlashLayout& layout) {
    return static_cast<int>(all_pages(layout).size());
}

Bytes make_firmware_image(const ImageRecipe& recipe, const repro::FlashLayout& given) {
    const repro::FlashLayout layout = given.large.send_size == 0 ? default_flash_layout() : given;
    Bytes image(repro::image_length_needed(layout), 0xFF);
    const std::vector<PageSpan> pages = all_pages(layout);
    std::uint32_t state = recipe.seed * 2654435761u + 12345u;
    for (const int index : recipe.filled_pages) {
        if (index < 0 || static_cast<std::size_t>(index) >= pages.size()) {
            continue;
        }
        const PageSpan page = pages[static_cast<std::size_t>(index)];
        for (std::uint32_t i = 0; i < page.length; ++i) {
            state = state * 1103515245u + 12345u;
            image[page.offset + i] = static_cast<std::uint8_t>(state >> 16);
        }
    }
    std::copy(repro::kModelField.begin(), repro::kModelField.end(),
              image.begin() + static_cast<std::ptrdiff_t>(repro::kModelFieldOffset));
    // The sum covers its own field: store a value, then move the sum onto it with the bytes
    // past the last page, which no page sends.
    const std::uint16_t stored = 0x5A3C;
    write_u16le(image, layout.check_sum_addr, stored);
    std::uint64_t filler_from = 0;
    for (const PageSpan& p : pages) {
        filler_from = std::max(filler_from, p.offset + p.length);
    }
    for (std::uint64_t at = filler_from; at < layout.size; ++at) {
        image[at] = 0;
    }
    std::uint16_t missing =
        static_cast<std::uint16_t>(stored - repro::image_sum(image, layout.size));
    for (std::uint64_t at = filler_from; at < layout.size && missing != 0; ++at) {
        const auto add = static_cast<std::uint8_t>(std::min<std::uint16_t>(missing, 255));
        image[at] = add;
        missing = static_cast<std::uint16_t>(missing - add);
    }
    return image;
}

}  // namespace travex::sim
