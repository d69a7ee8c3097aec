#include "repro/flash_layout.h"

#include <algorithm>

namespace travex::repro {
namespace {

std::uint8_t low_byte(const std::string& text) {
    return static_cast<std::uint8_t>(repro_number(text));
}

std::optional<std::string> area_problem(const PageArea& area, std::uint32_t from_start,
                                        const char* name) {
    const std::string n(name);
    if (area.end < area.start) {
        return n + " PAGE END ADDR lies below " + n + " PAGE START ADDR.";
    }
    if (area.start < from_start) {
        return n + " PAGE START ADDR lies below FROM START ADDR.";
    }
    if (area.send_size == 0) {
        return n + " PAGE SEND SIZE is 0.";
    }
    if (area.send_size > kMaxPageSize) {
        return n + " PAGE SEND SIZE is over " + std::to_string(kMaxPageSize) + " bytes.";
    }
    if (area.end > area.start && area.send_size > area.end - area.start) {
        return n + " PAGE SEND SIZE is larger than its area.";
    }
    return std::nullopt;
}

// End (exclusive) of the last page of an area, as an image offset.
std::uint64_t area_image_end(const PageArea& area, std::uint32_t from_start) {
    if (area.end <= area.start) {
        return 0;
    }
    const std::uint64_t span = area.end - area.start;
    const std::uint64_t pages = (span + area.send_size - 1) / area.send_size;
    return std::uint64_t{area.start} - from_start + pages * area.send_size;
}

void plan_area(const PageArea& area, std::uint32_t from_start, bool large,
               std::span<const std::uint8_t> image, std::vector<PlannedPage>& pages) {
    for (std::uint64_t address = area.start; address < area.end; address += area.send_size) {
        const auto offset = static_cast<std::uint32_t>(address - from_start);
        const auto bytes = image.subspan(offset, area.send_size);
        if (std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0xFF; })) {
            continue;
        }
        pages.push_back({static_cast<std::uint32_t>(address), offset, area.send_size, large});
    }
}

}  // namespace

FlashLayout flash_layout(const ReproSettings& s) {
    FlashLayout layout;
    layout.from_start = repro_number(s.from_start_addr);
    layout.large = {repro_number(s.large_page_start_addr), repro_number(s.large_page_end_addr),
                    repro_number(s.large_page_send_size)};
    layout.small = {repro_number(s.small_page_start_addr), repro_number(s.small_page_end_addr),
                    repro_number(s.small_page_send_size)};
    layout.size = repro_number(s.size);
    layout.check_sum_addr = repro_number(s.check_sum_addr);
    layout.major = low_byte(s.major);
    layout.minor = low_byte(s.minor);
    layout.data1 = low_byte(s.data1);
    layout.data2 = low_byte(s.data2);
    return layout;
}

std::optional<std::string> layout_problem(const FlashLayout& layout) {
    if (auto problem = area_problem(layout.large, layout.from_start, "LARGE")) {
        return problem;
    }
    return area_problem(layout.small, layout.from_start, "SMALL");
}

std::uint64_t image_length_needed(const FlashLayout& layout) {
    return std::max({std::uint64_t{layout.size}, std::uint64_t{layout.check_sum_addr} + 2,
                     area_image_end(layout.large, layout.from_start),
                     area_image_end(layout.small, layout.from_start)});
}

std::vector<PlannedPage> plan_pages(const FlashLayout& layout,
                                    std::span<const std::uint8_t> image) {
    std::vector<PlannedPage> pages;
    if (layout_problem(layout) || image.size() < image_length_needed(layout)) {
        return pages;
    }
    plan_area(layout.large, layout.from_start, true, image, pages);
    plan_area(layout.small, layout.from_start, false, image, pages);
    return pages;
}

int progress_step(const FlashLayout& layout) {
    const std::int64_t span = std::int64_t{layout.small.end} - std::int64_t{layout.large.start};
    if (span <= 0) {
        return 0;
    }
    return static_cast<int>(
        std::min<std::int64_t>(10000, std::int64_t{layout.large.send_size} * 10000 / span));
}

}  // namespace travex::repro
