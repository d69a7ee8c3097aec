#include "sim/sim_firmware.h"

#include <algorithm>
#include <charconv>

#include "base/le_bytes.h"
#include "repro/repro_packets.h"

namespace travex::sim {
namespace {

using namespace travex::repro;

constexpr std::array<std::uint8_t, 2> kRefused = {'N', 'G'};
constexpr std::size_t kDataHead = 6;  // address and length
constexpr std::size_t kLargestPage = 16384;

bool is_update_command(std::uint8_t c) {
    return c == kCommandHello || c == kCommandVersion || c == kCommandUpdate ||
           c == kCommandGoodbye;
}

Bytes refused() {
    return Bytes(kRefused.begin(), kRefused.end());
}

Bytes accepted() {
    return Bytes(kPacketAccepted.begin(), kPacketAccepted.end());
}

}  // namespace

bool is_firmware_fault_name(std::string_view text) {
    const std::string_view name = text.substr(0, text.find(':'));
    return name == "no-header" || name == "page-ng" || name == "silent-after" ||
           name == "update-mode";
}

std::optional<FirmwareFault> parse_firmware_fault(std::string_view text, std::string& error) {
    const std::size_t colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    if (!is_firmware_fault_name(text)) {
        return std::nullopt;
    }
    const bool counted = name == "page-ng" || name == "silent-after";
    if (counted != (colon != std::string_view::npos)) {
        error.assign(name);
        error += counted ? " needs a page count (:N)" : " takes no count";
        return std::nullopt;
    }
    FirmwareFault fault{FirmwareFaultKind::no_header_answer, 0};
    if (name == "page-ng") {
        fault.kind = FirmwareFaultKind::page_refused;
    } else if (name == "silent-after") {
        fault.kind = FirmwareFaultKind::silent_after;
    } else if (name == "update-mode") {
        fault.kind = FirmwareFaultKind::update_mode;
    }
    if (counted) {
        const std::string_view number = text.substr(colon + 1);
        const auto [end, ec] =
            std::from_chars(number.data(), number.data() + number.size(), fault.at);
        const int lowest = fault.kind == FirmwareFaultKind::page_refused ? 1 : 0;
        if (ec != std::errc{} || end != number.data() + number.size() || fault.at < lowest) {
            error.assign("bad page count in ");
            error += text;
            return std::nullopt;
        }
    }
    return fault;
}

SimFirmware::SimFirmware(std::array<char, 3> version)
    : version_(version), flash_(kSimFlashSize, 0xFF) {}

void SimFirmware::add_fault(FirmwareFault fault) {
    if (fault.kind == FirmwareFaultKind::update_mode) {
        mode_ = Mode::wait_header;
        return;
    }
    faults_.push_back(fault);
}

std::uint32_t SimFirmware::listening_baud() const {
    switch (mode_) {
        case Mode::normal:
            return kLinkBaud;
        case Mode::wait_header:
            return kHeaderBaud;
        case Mode::pages:
            break;
    }
    return stats_.data_baud;
}

bool SimFirmware::save_flash(FileSystem& files, const std::string& path) const {
    return write_file_atomic(files, path, flash_) == WriteResult::written;
}

Bytes SimFirmware::ack() const {
    Bytes reply{kTargetIdentifier[0], kTargetIdentifier[1], 0x01};
    append_sum_le(reply);
    return reply;
}

Bytes SimFirmware::on_receive(std::span<const std::uint8_t> bytes) {
    if (line_speed_ && line_speed_() != listening_baud()) {
        stats_.noise_bytes += static_cast<int>(bytes.size());
        return {};
    }
    input_.insert(input_.end(), bytes.begin(), bytes.end());
    Bytes out = mode_ == Mode::normal ? handle_normal() : handle_update();
    return silent_ ? Bytes{} : out;
}

void SimFirmware::forward_to_link(std::size_t count, Bytes& out) {
    if (link_ != nullptr) {
        const Bytes answer = link_->on_receive(std::span(input_).first(count));
        out.insert(out.end(), answer.begin(), answer.end());
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(count));
}

Bytes SimFirmware::handle_normal() {
    Bytes out;
    while (!input_.empty() && mode_ == Mode::normal) {
        // In the middle of an exchange of the ordinary link, every byte is the link's.
        if (link_ != nullptr && link_idle_ && !link_idle_()) {
            forward_to_link(input_.size(), out);
            break;
        }
        if (input_[0] != 0x31 || (input_.size() >= 2 && input_[1] != 0x31)) {
            forward_to_link(1, out);
            continue;
        }
        if (input_.size() < kCommandPacketLength) {
            break;
        }
        const auto packet = std::span(input_).first(kCommandPacketLength);
        if (!is_update_command(packet[2]) || !sum_le_matches(packet)) {
            forward_to_link(1, out);
            continue;
        }
        const std::uint8_t command = packet[2];
        input_.erase(input_.begin(), input_.begin() + kCommandPacketLength);
        const Bytes answer = handle_command(command);
        out.insert(out.end(), answer.begin(), answer.end());
        // What follows "s" belongs to update mode, at its own speed.
        if (mode_ != Mode::normal) {
            input_.clear();
        }
    }
    return out;
}

Bytes SimFirmware::handle_command(std::uint8_t command) {
    switch (command) {
        case kCommandHello:
            ++stats_.hellos;
            return ack();
        case kCommandVersion: {
            ++stats_.version_queries;
            // Identifier, the three version characters, three further bytes, sum.
            Bytes reply{kTargetIdentifier[0],
                        kTargetIdentifier[1],
                        static_cast<std::uint8_t>(version_[0]),
                        static_cast<std::uint8_t>(version_[1]),
                        static_cast<std::uint8_t>(version_[2]),
                        '0',
                        '0',
                        '0'};
            append_sum_le(reply);
            return reply;
        }
        case kCommandUpdate:
            ++stats_.mode_switches;
            mode_ = Mode::wait_header;
            return ack();
        default:
            ++stats_.goodbyes;
            return ack();
    }
}

Bytes SimFirmware::handle_update() {
    Bytes out;
    while (input_.size() >= kDataHead && mode_ != Mode::normal) {
        const std::size_t length = read_u16le(input_, 4);
        if (length > kLargestPage) {
            // No packet is that long: the stream is out of step; drop what came.
            ++stats_.bad_packets;
            input_.clear();
            const Bytes no = refused();
            out.insert(out.end(), no.begin(), no.end());
            break;
        }
        const std::size_t need = kDataHead + length + 2;
        if (input_.size() < need) {
            break;
        }
        const Bytes packet(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(need));
        const Bytes answer = handle_data(packet);
        out.insert(out.end(), answer.begin(), answer.end());
        if (mode_ == Mode::pages && stats_.data_baud != kHeaderBaud && line_speed_) {
            // After the header the line changes speed: nothing else of this burst is readable.
            input_.clear();
        }
    }
    return out;
}

Bytes SimFirmware::handle_data(const Bytes& packet) {
    if (!sum_le_matches(packet)) {
        ++stats_.bad_packets;
        return refused();
    }
    const std::uint32_t address = read_u32le(packet, 0);
    const std::size_t length = packet.size() - kDataHead - 2;
    const auto data = std::span(packet).subspan(kDataHead, length);
    if (mode_ == Mode::wait_header) {
        const bool machine_code = length == 5 && data[0] == '7' && data[1] == '3';
        const auto baud = length >= 3 ? baud_of_speed_code(data[length - 2]) : std::nullopt;
        if (address != 0 || (length != 5 && length != 3) || (length == 5 && !machine_code) ||
            !baud) {
            ++stats_.bad_packets;
            return refused();
        }
        for (const FirmwareFault& f : faults_) {
            if (f.kind == FirmwareFaultKind::no_header_answer) {
                return {};
            }
        }
        ++stats_.headers;
        stats_.data_baud = *baud;
        mode_ = Mode::pages;
        return accepted();
    }
    for (const FirmwareFault& f : faults_) {
        if (f.kind == FirmwareFaultKind::silent_after && pages_answered_ >= f.at) {
            silent_ = true;
            return {};
        }
    }
    if (address == kEndMarkerAddress && length == 0) {
        ++stats_.updates_completed;
        mode_ = Mode::normal;
        if (on_done_) {
            on_done_();
        }
        return accepted();
    }
    if (address < kSimFlashBase || address - kSimFlashBase > kSimFlashSize ||
        length > kSimFlashSize - (address - kSimFlashBase)) {
        ++stats_.bad_packets;
        return refused();
    }
    ++pages_answered_;
    for (const FirmwareFault& f : faults_) {
        if (f.kind == FirmwareFaultKind::page_refused && pages_answered_ == f.at) {
            ++stats_.pages_refused;
            return refused();
        }
    }
    std::copy(data.begin(), data.end(),
              flash_.begin() + static_cast<std::ptrdiff_t>(address - kSimFlashBase));
    page_log_.push_back(address);
    ++stats_.pages_written;
    return accepted();
}

}  // namespace travex::sim
