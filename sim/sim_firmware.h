#pragma once
// The calculator's side of the firmware update, as a byte-stream peer. In its normal mode it
// answers the update's commands (hello, version, switch to update mode, goodbye); in update
// mode it takes the header at 19200 baud, then the pages at the data baud rate the header
// names, checks every packet's sum, answers "OK" and writes the pages into its flash; the end
// marker ends update mode. Bytes that are no update command go to the ordinary link's
// calculator when one is attached, so one simulated calculator serves both.
//
// With line-speed emulation (a source of the line's speed is set), bytes written at a speed
// other than the one the calculator listens at are noise and get no answer.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "base/file_system.h"
#include "link/virtual_port.h"

namespace travex::sim {

enum class FirmwareFaultKind {
    no_header_answer,  // a header is never answered
    page_refused,      // the N-th page is answered "NG" (and not written)
    silent_after,      // after N pages answered, nothing is answered any more
    update_mode,       // the calculator starts in update mode, waiting for the header
};

struct FirmwareFault {
    FirmwareFaultKind kind;
    int at = 0;  // page count for page_refused and silent_after
};

// "no-header", "page-ng:N", "silent-after:N", "update-mode". Nothing, with error untouched,
// when the text names no fault of the update (it may be one of the ordinary link's); nothing
// with error set when the name is one of these but its count is wrong.
std::optional<FirmwareFault> parse_firmware_fault(std::string_view text, std::string& error);
bool is_firmware_fault_name(std::string_view text);

struct FirmwareSimStats {
    int hellos = 0;
    int version_queries = 0;
    int mode_switches = 0;
    int goodbyes = 0;
    int headers = 0;  // headers accepted
    int pages_written = 0;
    int pages_refused = 0;
    int bad_packets = 0;  // wrong sum, length or address
    int noise_bytes = 0;  // bytes at the wrong speed
    int updates_completed = 0;
    std::uint32_t data_baud = 0;  // the speed the last header asked for
};

inline constexpr std::uint32_t kSimFlashBase = 0xF00000;
inline constexpr std::uint32_t kSimFlashSize = 0x100000;

class SimFirmware final : public PortPeer {
public:
    explicit SimFirmware(std::array<char, 3> version = {'1', '0', '0'});

    Bytes on_receive(std::span<const std::uint8_t> bytes) override;

    void set_version(std::array<char, 3> version) { version_ = version; }
    void add_fault(FirmwareFault fault);
    // Turns line-speed emulation on: the source tells the speed the current bytes came at.
    void set_line_speed_source(std::function<std::uint32_t()> source) {
        line_speed_ = std::move(source);
    }
    // The ordinary link's calculator, and whether it is between exchanges (then the next packet
    // may be one of the update's commands).
    void set_link_peer(PortPeer* link, std::function<bool()> link_idle) {
        link_ = link;
        link_idle_ = std::move(link_idle);
    }
    // Called each time an update has ended with its end marker.
    void set_on_update_complete(std::function<void()> done) { on_done_ = std::move(done); }

    bool in_update_mode() const { return mode_ != Mode::normal; }
    // The speed the calculator listens at now.
    std::uint32_t listening_baud() const;
    // Flash from kSimFlashBase, kSimFlashSize bytes, blank (0xFF) where nothing was written.
    const Bytes& flash() const { return flash_; }
    // Addresses of the pages written, in order.
    const std::vector<std::uint32_t>& page_log() const { return page_log_; }
    const FirmwareSimStats& stats() const { return stats_; }
    bool save_flash(FileSystem& files, const std::string& path) const;

private:
    enum class Mode { normal, wait_header, pages };

    Bytes handle_normal();
    Bytes handle_update();
    Bytes handle_command(std::uint8_t command);
    Bytes handle_data(const Bytes& packet);
    Bytes ack() const;
    void forward_to_link(std::size_t count, Bytes& out);

    std::array<char, 3> version_;
    std::vector<FirmwareFault> faults_;
    std::function<std::uint32_t()> line_speed_;
    PortPeer* link_ = nullptr;
    std::function<bool()> link_idle_;
    std::function<void()> on_done_;
    Mode mode_ = Mode::normal;
    bool silent_ = false;
    Bytes input_;
    Bytes flash_;
    std::vector<std::uint32_t> page_log_;
    int pages_answered_ = 0;
    FirmwareSimStats stats_;
};

}  // namespace travex::sim
