#include "repro/firmware_transfer.h"

#include <algorithm>
#include <array>

namespace travex::repro {

FirmwareTransfer::FirmwareTransfer(SerialPort& port, Clock& clock, const ReproSettings& settings,
                                   const CheckedImage& image, int port_number,
                                   TransferObserver* observer)
    : port_(port),
      clock_(clock),
      settings_(settings),
      image_(image),
      layout_(flash_layout(settings)),
      speed_(data_speed(settings.data_baud_rate)),
      port_number_(port_number),
      observer_(observer != nullptr ? observer : &quiet_) {}

void FirmwareTransfer::stage(TransferStage s) {
    observer_->on_stage(s);
}

bool FirmwareTransfer::stop_now() {
    if (!may_stop_ || !observer_->stop_requested()) {
        return false;
    }
    report_.stopped = true;
    return true;
}

TransferReport FirmwareTransfer::run() {
    report_ = TransferReport{};
    version_refused_ = false;
    written_ = false;
    may_stop_ = true;
    // Settings or an image that did not pass their checks never reach the port.
    if (settings_problem(settings_) || image_.bytes.size() < image_length_needed(layout_)) {
        return report_;
    }
    TransferStage next = TransferStage::opening;
    while (next != TransferStage::finished) {
        stage(next);
        next = step(next);
    }
    if (written_) {
        report_.result = TransferResult::finished;
    } else if (version_refused_) {
        report_.result = TransferResult::not_newer;
    } else {
        report_.result = TransferResult::no_response;
    }
    return report_;
}

TransferStage FirmwareTransfer::step(TransferStage current) {
    switch (current) {
        case TransferStage::opening:
            if (port_.OpenLinkPort(port_number_) != PortOpenResult::ok) {
                return TransferStage::finished;
            }
            return stop_now() ? TransferStage::closing : TransferStage::direct_attempt;
        case TransferStage::direct_attempt:
            port_.SetLinkBaud(kHeaderBaud);
            written_ = page_transfer();
            return written_ || report_.stopped ? TransferStage::closing
                                               : TransferStage::version_check;
        case TransferStage::version_check:
            if (stop_now()) {
                return TransferStage::closing;
            }
            port_.SetLinkBaud(kLinkBaud);
            // Whatever the direct attempt left in the input would stand before the replies.
            port_.PurgeLinkPort();
            // A stop after the greeting says goodbye, which returns the calculator to its
            // normal mode, as after a refused version.
            if (!version_check() || stop_now()) {
                return TransferStage::goodbye;
            }
            return command_with_ack(kCommandUpdate) ? TransferStage::update_mode
                                                    : TransferStage::closing;
        case TransferStage::update_mode:
            may_stop_ = false;
            port_.SetLinkBaud(kHeaderBaud);
            written_ = page_transfer();
            return TransferStage::closing;
        case TransferStage::goodbye:
            for (int i = 0; i < kGoodbyeAttempts; ++i) {
                if (command_with_ack(kCommandGoodbye)) {
                    break;
                }
            }
            return TransferStage::closing;
        case TransferStage::closing:
            port_.SetLinkBaud(kLinkBaud);
            port_.CloseLinkPort();
            return TransferStage::finished;
        default:
            // Header, pages and end marker are stages of a page transfer, reported from
            // inside it.
            return TransferStage::finished;
    }
}

bool FirmwareTransfer::page_transfer() {
    if (!send_header()) {
        return false;
    }
    if (settings_.enable_data_baud_rate == 1) {
        port_.SetLinkBaud(speed_->baud);
    }
    stage(TransferStage::pages);
    const std::vector<PlannedPage> pages = plan_pages(layout_, image_.bytes);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const PlannedPage& page = pages[i];
        const Bytes packet =
            data_packet(page.address, std::span(image_.bytes).subspan(page.offset, page.length));
        if (!send_data_packet(packet, kPageReplyMs)) {
            return false;
        }
        ++report_.pages_written;
        observer_->on_page_written(page, i, pages.size());
        if (page.large) {
            observer_->on_progress_step();
        }
    }
    stage(TransferStage::end_marker);
    return send_data_packet(end_marker_packet(), kPageReplyMs);
}

bool FirmwareTransfer::send_header() {
    const Bytes packet =
        data_packet(0, header_data(layout_, settings_.use_machine_code == 1, speed_->code));
    stage(TransferStage::header);
    // Only a header that goes unanswered is tried again; a wrong answer ends the attempt.
    for (int attempt = 0; attempt < kHeaderAttempts; ++attempt) {
        // An unanswered header left the calculator as it was; in the direct attempt that may
        // still be its normal mode.
        if (stop_now()) {
            return false;
        }
        if (send_data_packet(packet, kHeaderReplyMs)) {
            return true;
        }
        if (!report_.timed_out) {
            return false;
        }
    }
    return false;
}

bool FirmwareTransfer::version_check() {
    bool greeted = false;
    for (int i = 0; i < kHelloAttempts && !greeted; ++i) {
        greeted = command_with_ack(kCommandHello);
    }
    if (!greeted || !write_packet(command_packet(kCommandVersion))) {
        return false;
    }
    std::array<std::uint8_t, kVersionReplyLength> reply{};
    if (!read_reply(reply, kCommandReplyMs)) {
        return false;
    }
    const auto version = version_of_reply(reply);
    if (!version) {
        return false;
    }
    report_.calculator_version = *version;
    observer_->on_calculator_version(*version);
    version_refused_ = !image_is_newer(image_.version, *version);
    return !version_refused_;
}

bool FirmwareTransfer::command_with_ack(std::uint8_t command) {
    if (!write_packet(command_packet(command))) {
        return false;
    }
    std::array<std::uint8_t, kAckLength> reply{};
    return read_reply(reply, kCommandReplyMs) && is_acknowledgement(reply);
}

bool FirmwareTransfer::write_packet(std::span<const std::uint8_t> packet) {
    bool all_written = true;
    if (settings_.enable_char_wait == 1) {
        for (const std::uint8_t& byte : packet) {
            const PortWriteResult w = port_.WriteLinkBytes(std::span(&byte, 1));
            if (w.status != PortWriteStatus::all_written) {
                all_written = false;
                break;
            }
            if (settings_.char_wait > 0) {
                clock_.sleep_ms(static_cast<std::uint32_t>(settings_.char_wait));
            }
        }
    } else {
        const std::uint64_t start = clock_.now_ms();
        std::size_t done = 0;
        while (done < packet.size()) {
            if (clock_.now_ms() - start >= kWholeWriteMs) {
                break;
            }
            const auto piece = packet.subspan(done, std::min(kWritePiece, packet.size() - done));
            const PortWriteResult w = port_.WriteLinkBytes(piece);
            if (w.status == PortWriteStatus::failed) {
                break;
            }
            done += std::min(w.written, piece.size());
        }
        all_written = done == packet.size();
    }
    clock_.sleep_ms(kPauseAfterPacketMs);
    return all_written;
}

bool FirmwareTransfer::send_data_packet(std::span<const std::uint8_t> packet,
                                        std::uint32_t reply_ms) {
    report_.timed_out = false;
    if (!write_packet(packet)) {
        return false;
    }
    std::array<std::uint8_t, 2> reply{};
    return read_reply(reply, reply_ms) &&
           std::equal(reply.begin(), reply.end(), kPacketAccepted.begin());
}

bool FirmwareTransfer::read_reply(std::span<std::uint8_t> buffer, std::uint32_t limit_ms) {
    report_.timed_out = false;
    const std::uint64_t start = clock_.now_ms();
    std::size_t got = 0;
    while (got < buffer.size()) {
        if (clock_.now_ms() - start >= limit_ms) {
            report_.timed_out = true;
            return false;
        }
        const PortReadResult r = port_.ReadLinkBytes(buffer.subspan(got));
        if (r.status != PortReadStatus::received) {
            return false;
        }
        got += std::min(r.received, buffer.size() - got);
    }
    return true;
}

}  // namespace travex::repro
