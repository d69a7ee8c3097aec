#include "cli/console_progress.h"

#include <cstdio>

#include "cli/interrupt.h"
#include "cli/progress_line.h"
#include "cli/terminal.h"
#include "resources/string_table.h"

namespace travex::cli {
namespace {

// A terminal is redrawn at most this often: more only costs time on a slow console.
constexpr auto kRedrawPeriod = std::chrono::milliseconds(100);
// Long names are cut so that the line fits an ordinary terminal and redraws in place.
constexpr std::size_t kItemWidth = 28;

std::string shortened(std::string_view name) {
    if (name.size() <= kItemWidth) {
        return std::string(name);
    }
    return "..." + std::string(name.substr(name.size() - (kItemWidth - 3)));
}

}  // namespace

ProgressStyle progress_style(bool quiet) {
    if (quiet) {
        return ProgressStyle::none;
    }
    return stderr_is_terminal() ? ProgressStyle::live_line : ProgressStyle::plain_lines;
}

PortWriteResult MeteredPort::WriteLinkBytes(std::span<const std::uint8_t> bytes) {
    const PortWriteResult result = inner_.WriteLinkBytes(bytes);
    if (result.status != PortWriteStatus::failed) {
        moved_ += std::min(result.written, bytes.size());
    }
    if (on_activity_) {
        on_activity_();
    }
    return result;
}

PortReadResult MeteredPort::ReadLinkBytes(std::span<std::uint8_t> buffer) {
    const PortReadResult result = inner_.ReadLinkBytes(buffer);
    if (result.status == PortReadStatus::received) {
        moved_ += std::min(result.received, buffer.size());
    }
    if (on_activity_) {
        on_activity_();
    }
    return result;
}

ConsoleProgress::ConsoleProgress(ProgressStyle style, Clock& clock, const MeteredPort& meter,
                                 TotalOf total_of)
    : style_(style), clock_(clock), meter_(meter), total_of_(std::move(total_of)) {}

ConsoleProgress::~ConsoleProgress() {
    erase_line();
}

void ConsoleProgress::show(TextId, int total_units, bool) {
    open_ = true;
    total_units_ = total_units;
    done_units_ = 0;
    item_running_ = false;
}

void ConsoleProgress::advance(int units, std::string_view text) {
    if (!open_) {
        return;
    }
    if (units < 0) {
        end_item(false);
        open_ = false;
        erase_line();
        return;
    }
    done_units_ += units;
    if (!text.empty()) {
        end_item(true);
        begin_item(text);
    }
    if (done_units_ >= total_units_) {
        end_item(true);
        open_ = false;
        erase_line();
        return;
    }
    draw();
}

// A line of the string table (the screen capture's "Screen image") is shown as an item of its own.
void ConsoleProgress::show_line(TextId text) {
    advance(0, string_text(string_id(text)).value_or(""));
}

void ConsoleProgress::flash() {
    if (!cancelled_ && engine_ != nullptr && interrupt_requested()) {
        cancelled_ = true;
        engine_->request_abort(rewrite_on_cancel_);
    }
    draw();
}

void ConsoleProgress::note(std::string_view line) {
    erase_line();
    std::fprintf(stderr, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(stderr);
    last_draw_ = {};
}

void ConsoleProgress::begin_item(std::string_view name) {
    item_ = shortened(name);
    item_name_ = std::string(name);
    item_running_ = true;
    item_start_ms_ = clock_.now_ms();
    item_start_bytes_ = meter_.moved();
    last_draw_ = {};
}

void ConsoleProgress::end_item(bool whole) {
    if (!item_running_) {
        return;
    }
    item_running_ = false;
    if (style_ != ProgressStyle::plain_lines) {
        return;
    }
    const std::uint64_t bytes = meter_.moved() - item_start_bytes_;
    std::string line;
    if (!whole) {
        line = item_ + "  stopped after " + byte_text(bytes);
    } else if (bytes == 0) {
        line = item_ + "  skipped";
    } else {
        line = progress_text({item_, bytes, total_of_ ? total_of_(item_name_) : std::nullopt,
                              clock_.now_ms() - item_start_ms_, true});
    }
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void ConsoleProgress::draw() {
    if (style_ != ProgressStyle::live_line || !item_running_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - last_draw_ < kRedrawPeriod) {
        return;
    }
    last_draw_ = now;
    std::string line = progress_text({item_, meter_.moved() - item_start_bytes_,
                                      total_of_ ? total_of_(item_name_) : std::nullopt,
                                      clock_.now_ms() - item_start_ms_, false});
    if (cancelled_) {
        line += "  stopping...";
    }
    const std::size_t width = line.size();
    // A shorter line than the last one blanks the rest of it.
    if (width < drawn_width_) {
        line.append(drawn_width_ - width, ' ');
    }
    drawn_width_ = width;
    std::fprintf(stderr, "\r%s", line.c_str());
    std::fflush(stderr);
}

void ConsoleProgress::erase_line() {
    if (drawn_width_ == 0) {
        return;
    }
    std::fprintf(stderr, "\r%s\r", std::string(drawn_width_, ' ').c_str());
    std::fflush(stderr);
    drawn_width_ = 0;
}

}  // namespace travex::cli
