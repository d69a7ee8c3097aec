#pragma once
// Makes firmware images that pass every check of the default layout, for tests, benchmarks and
// demonstrations: the model field in place, chosen pages filled with a pattern and the others
// blank, and the stored sum made to match by adjusting the bytes after the last page (which
// the sum covers but no page sends).
#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "repro/flash_layout.h"

namespace travex::sim {

struct ImageRecipe {
    // Indexes (large pages first, then small ones) of the pages that carry data; every other
    // page is blank. The page with the model field and the one with the stored sum always
    // carry data.
    std::vector<int> filled_pages;
    std::uint32_t seed = 1;
};

// The image for layout (the default one unless told otherwise).
Bytes make_firmware_image(const ImageRecipe& recipe,
                          const repro::FlashLayout& layout = repro::FlashLayout{});

// The default layout of repro.ini, as numbers.
repro::FlashLayout default_flash_layout();

// Every page of the layout, in plan order (large pages, then small ones).
int page_count(const repro::FlashLayout& layout);

}  // namespace travex::sim
