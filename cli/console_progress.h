#pragma once
// Live progress of a link operation on standard error, and Ctrl+C as its Cancel button.
// On a terminal one line redraws itself with the item, percent, bytes, rate and time left; when
// standard error is a file or a pipe, one plain line is written per item as it ends; --quiet
// writes nothing. The bytes are counted on the port, so the line tells what really moved.
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "link/link_engine.h"
#include "link/link_progress.h"
#include "link/serial_port.h"

namespace travex::cli {

enum class ProgressStyle { none, live_line, plain_lines };

// --quiet gives none; otherwise a live line on a terminal and plain lines elsewhere.
ProgressStyle progress_style(bool quiet);

// A port that counts the bytes written to and read from the port underneath.
class MeteredPort final : public SerialPort {
public:
    explicit MeteredPort(SerialPort& inner) : inner_(inner) {}
    PortOpenResult OpenLinkPort(int port_number) override {
        return inner_.OpenLinkPort(port_number);
    }
    bool CloseLinkPort() override { return inner_.CloseLinkPort(); }
    bool is_open() const override { return inner_.is_open(); }
    PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override;
    PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override;
    bool PurgeLinkPort() override { return inner_.PurgeLinkPort(); }
    std::size_t ClearLinkErrors() override { return inner_.ClearLinkErrors(); }
    bool SetLinkBaud(std::uint32_t rate) override { return inner_.SetLinkBaud(rate); }

    std::uint64_t moved() const { return moved_; }
    // Called after every read and write: an operation that blocks inside one long call (the
    // firmware update) redraws its progress and hears Ctrl+C from here.
    void set_on_activity(std::function<void()> on_activity) {
        on_activity_ = std::move(on_activity);
    }

private:
    SerialPort& inner_;
    std::uint64_t moved_ = 0;
    std::function<void()> on_activity_;
};

class ConsoleProgress final : public link::ProgressSink {
public:
    // The bytes an item takes on the line in all, when they can be told (asked on every redraw:
    // a received item's length becomes known only once the calculator announces it).
    using TotalOf = std::function<std::optional<std::uint64_t>(std::string_view item)>;

    ConsoleProgress(ProgressStyle style, Clock& clock, const MeteredPort& meter, TotalOf total_of);
    ~ConsoleProgress() override;
    ConsoleProgress(const ConsoleProgress&) = delete;
    ConsoleProgress& operator=(const ConsoleProgress&) = delete;

    // The engine whose abort request Ctrl+C sets; the screen capture rewrites its remaining steps
    // into the cancel sequence, as its own Cancel button does.
    void watch(link::LinkEngine& engine, bool rewrite_on_cancel) {
        engine_ = &engine;
        rewrite_on_cancel_ = rewrite_on_cancel;
    }
    // Whether Ctrl+C asked the operation to stop.
    bool cancelled() const { return cancelled_; }

    void show(TextId title, int total_units, bool cancel_rewrites) override;
    void advance(int units, std::string_view text) override;
    void show_line(TextId text) override;
    bool is_open() const override { return open_; }
    void flash() override;
    // A line of its own on standard error, whatever the style; the live line comes back below.
    void note(std::string_view line);

private:
    void begin_item(std::string_view name);
    void end_item(bool whole);
    void draw();
    void erase_line();

    ProgressStyle style_;
    Clock& clock_;
    const MeteredPort& meter_;
    TotalOf total_of_;
    link::LinkEngine* engine_ = nullptr;
    bool rewrite_on_cancel_ = false;
    bool cancelled_ = false;
    bool open_ = false;
    int total_units_ = 0;
    int done_units_ = 0;
    std::string item_;       // the name as the progress shows it
    std::string item_name_;  // the whole name, for total_of
    bool item_running_ = false;
    std::uint64_t item_start_ms_ = 0;
    std::uint64_t item_start_bytes_ = 0;
    std::size_t drawn_width_ = 0;
    std::chrono::steady_clock::time_point last_draw_{};
};

}  // namespace travex::cli
