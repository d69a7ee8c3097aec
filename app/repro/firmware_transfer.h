#pragma once
// Sends a checked firmware image to the calculator over the serial port, on the given clock
// (the real one in the application, a virtual one in tests, where every run is repeatable).
//
// Open the port at 38400 baud; switch to 19200 and try the header at once (the calculator may
// already wait in update mode); otherwise back at 38400 ask the calculator for its version,
// switch it to update mode when the image is newer, and try again; after a refused version
// say goodbye so the calculator returns to its normal mode. The port always ends at 38400 baud
// and closed.
#include <cstdint>
#include <optional>
#include <span>

#include "base/bytes.h"
#include "link/serial_port.h"
#include "repro/firmware_image.h"
#include "repro/flash_layout.h"
#include "repro/repro_messages.h"
#include "repro/repro_packets.h"
#include "repro/repro_settings.h"

namespace travex::repro {

// Fixed times of the protocol, in milliseconds.
inline constexpr std::uint32_t kPauseAfterPacketMs = 500;
inline constexpr std::uint32_t kCommandReplyMs = 500;
inline constexpr std::uint32_t kHeaderReplyMs = 2000;
inline constexpr std::uint32_t kPageReplyMs = 600000;
inline constexpr std::uint32_t kWholeWriteMs = 12000;
inline constexpr std::size_t kWritePiece = 4096;
inline constexpr int kHelloAttempts = 4;
inline constexpr int kGoodbyeAttempts = 4;
inline constexpr int kHeaderAttempts = 4;

// The steps of the transfer. Opening, the direct attempt, the version check, update mode,
// goodbye and closing are the states the transfer moves through, one step each; header, pages
// and end marker are reported from within the two page transfers.
enum class TransferStage {
    opening,
    direct_attempt,  // header at 19200 baud straight away
    version_check,   // at 38400 baud: hello, version, and "s" when the image is newer
    update_mode,     // "s" accepted: the calculator waits for the header
    header,
    pages,
    end_marker,
    goodbye,
    closing,
    finished,
};

// What the transfer reports while it runs; every call comes from the thread that runs it.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void on_stage(TransferStage) {}
    // A page was answered "OK"; index counts from 0 over the plan.
    virtual void on_page_written(const PlannedPage&, std::size_t /*index*/, std::size_t /*total*/) {
    }
    // A large page was written: one step of the progress bar.
    virtual void on_progress_step() {}
    // The calculator's firmware version, when it told it.
    virtual void on_calculator_version(std::array<char, 3>) {}
    // Whether the user wants the update to end. Asked only while the calculator is still in its
    // normal mode (before the first header, between unanswered headers of the direct attempt,
    // before the switch to update mode): there the transfer ends and leaves it so. Once the
    // calculator waits in update mode the protocol has no way back, and the update goes on.
    virtual bool stop_requested() { return false; }
};

struct TransferReport {
    TransferResult result = TransferResult::no_response;
    std::size_t pages_written = 0;
    bool timed_out = false;  // the last awaited reply did not come in time
    std::optional<std::array<char, 3>> calculator_version;
    bool stopped = false;  // ended on the observer's stop request, the calculator in normal mode
};

class FirmwareTransfer {
public:
    // The settings must have passed settings_problem and the image check_firmware_image.
    FirmwareTransfer(SerialPort& port, Clock& clock, const ReproSettings& settings,
                     const CheckedImage& image, int port_number,
                     TransferObserver* observer = nullptr);

    // Runs every step from opening the port to closing it.
    TransferReport run();

private:
    // Performs one step and answers the next.
    TransferStage step(TransferStage current);
    bool page_transfer();
    bool send_header();
    bool version_check();
    bool command_with_ack(std::uint8_t command);
    bool write_packet(std::span<const std::uint8_t> packet);
    bool send_data_packet(std::span<const std::uint8_t> packet, std::uint32_t reply_ms);
    // Reads exactly buffer.size() bytes within limit_ms; false when they did not all come.
    bool read_reply(std::span<std::uint8_t> buffer, std::uint32_t limit_ms);
    void stage(TransferStage s);
    // True, and the report marked stopped, when a stop is asked while it is still safe.
    bool stop_now();

    SerialPort& port_;
    Clock& clock_;
    const ReproSettings& settings_;
    const CheckedImage& image_;
    FlashLayout layout_;
    std::optional<DataSpeed> speed_;
    int port_number_;
    TransferObserver* observer_;
    TransferObserver quiet_;
    bool version_refused_ = false;
    bool written_ = false;  // a page transfer ended with its end marker accepted
    bool may_stop_ = true;  // the calculator has not been switched to update mode by this run
    TransferReport report_;
};

}  // namespace travex::repro
