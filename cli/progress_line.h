#pragma once
// The text of the command line's transfer progress: the updating line on a terminal and the
// one line per item elsewhere.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace travex::cli {

struct ItemProgress {
    std::string_view item;               // what travels: a file or item name
    std::uint64_t bytes = 0;             // bytes moved on the line for it so far
    std::optional<std::uint64_t> total;  // the bytes it takes in all, when known
    std::uint64_t elapsed_ms = 0;        // since it started
    bool finished = false;               // it went through whole
};

// "12.5 KB", "830 B", "1.2 MB".
std::string byte_text(std::uint64_t bytes);

// The percentage shown: from bytes and total, held below 100 until the item has finished (the
// total is an estimate and the last acknowledgement is still to come), 100 once it has.
std::optional<int> shown_percent(const ItemProgress& progress);

// "prog1.g6p  45%  7.2 KB of 16.0 KB  3.4 KB/s  3 s left" while the item travels;
// "prog1.g6p  100%  16.0 KB in 4.7 s  3.4 KB/s" once it has finished. Parts that are not known
// yet (percent and time left without a total, rate and time left before any time passed) are
// left out.
std::string progress_text(const ItemProgress& progress);

}  // namespace travex::cli
