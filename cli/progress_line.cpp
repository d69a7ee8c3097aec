#include "cli/progress_line.h"

#include <algorithm>
#include <cstdio>

namespace travex::cli {

std::string byte_text(std::uint64_t bytes) {
    char buffer[32];
    if (bytes < 1024) {
        std::snprintf(buffer, sizeof buffer, "%llu B", static_cast<unsigned long long>(bytes));
    } else if (bytes < 1024 * 1024) {
        std::snprintf(buffer, sizeof buffer, "%.1f KB", static_cast<double>(bytes) / 1024.0);
    } else {
        std::snprintf(buffer, sizeof buffer, "%.1f MB",
                      static_cast<double>(bytes) / (1024.0 * 1024.0));
    }
    return buffer;
}

std::optional<int> shown_percent(const ItemProgress& progress) {
    if (progress.finished) {
        return 100;
    }
    if (!progress.total || *progress.total == 0) {
        return std::nullopt;
    }
    const std::uint64_t percent = progress.bytes * 100 / *progress.total;
    return static_cast<int>(std::min<std::uint64_t>(percent, 99));
}

namespace {

std::string seconds_text(std::uint64_t ms) {
    char buffer[32];
    if (ms < 10'000) {
        std::snprintf(buffer, sizeof buffer, "%.1f s", static_cast<double>(ms) / 1000.0);
    } else if (ms < 3'600'000) {
        const std::uint64_t s = (ms + 500) / 1000;
        std::snprintf(buffer, sizeof buffer, "%llu:%02llu", static_cast<unsigned long long>(s / 60),
                      static_cast<unsigned long long>(s % 60));
    } else {
        std::snprintf(buffer, sizeof buffer, "%llu h",
                      static_cast<unsigned long long>(ms / 3'600'000));
    }
    return buffer;
}

}  // namespace

std::string progress_text(const ItemProgress& progress) {
    std::string line(progress.item);
    if (const auto percent = shown_percent(progress)) {
        line += "  " + std::to_string(*percent) + "%";
    }
    line += "  " + byte_text(progress.bytes);
    if (progress.finished) {
        line += " in " + seconds_text(progress.elapsed_ms);
    } else if (progress.total) {
        line += " of " + byte_text(std::max(*progress.total, progress.bytes));
    }
    if (progress.elapsed_ms == 0 || progress.bytes == 0) {
        return line;
    }
    const double rate =
        static_cast<double>(progress.bytes) * 1000.0 / static_cast<double>(progress.elapsed_ms);
    line += "  " + byte_text(static_cast<std::uint64_t>(rate)) + "/s";
    if (!progress.finished && progress.total && *progress.total > progress.bytes) {
        const double left_ms =
            static_cast<double>(*progress.total - progress.bytes) * 1000.0 / rate;
        line += "  " + seconds_text(static_cast<std::uint64_t>(left_ms)) + " left";
    }
    return line;
}

}  // namespace travex::cli
