#pragma once
// The flash layout of repro.ini as numbers, the checks that keep every page inside the image and
// the packet buffer, and the page plan: which image bytes go to which flash address.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "repro/repro_settings.h"

namespace travex::repro {

// The packet buffer holds one page of at most this many bytes.
inline constexpr std::uint32_t kMaxPageSize = 16384;

struct PageArea {
    std::uint32_t start = 0;
    std::uint32_t end = 0;  // exclusive
    std::uint32_t send_size = 0;
};

struct FlashLayout {
    std::uint32_t from_start = 0;  // flash address of image offset 0
    PageArea large;
    PageArea small;
    std::uint32_t size = 0;  // image bytes covered by the checksum
    std::uint32_t check_sum_addr = 0;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

FlashLayout flash_layout(const ReproSettings& settings);

// Why a layout cannot be sent, in a sentence for the user; nothing when it can. Refused: an area
// that ends below its start or lies below "FROM START ADDR" (its pages would come from before
// the image), a send size of 0, over 16384 bytes or over its area.
std::optional<std::string> layout_problem(const FlashLayout& layout);

// The image length every page of the layout needs, and that the checksum needs (SIZE bytes and
// the stored sum at "CHECK SUM ADDR").
std::uint64_t image_length_needed(const FlashLayout& layout);

struct PlannedPage {
    std::uint32_t address = 0;
    std::uint32_t offset = 0;  // in the image
    std::uint32_t length = 0;
    bool large = false;  // a large page counts one progress step
};

// The pages that are sent, in order: large pages, then small ones; a page whose bytes are all
// 0xFF is left out (the flash is blank there already). The layout must have passed
// layout_problem and the image must be image_length_needed long.
std::vector<PlannedPage> plan_pages(const FlashLayout& layout, std::span<const std::uint8_t> image);

// The progress bar's step per large page out of 10000: large send size x 10000 over the span
// from the first large page to the end of the small area; 0 when that span is empty.
int progress_step(const FlashLayout& layout);

}  // namespace travex::repro
