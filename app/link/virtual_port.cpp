#include "link/virtual_port.h"

#include <algorithm>
#include <limits>

namespace travex {
namespace {

constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

}  // namespace

VirtualPort::VirtualPort(VirtualClock& clock, PortPeer* peer, VirtualPortTiming timing)
    : clock_(clock), peer_(peer), timing_(timing) {}

std::uint64_t VirtualPort::byte_time_us() const {
    // Rounded up so that the modelled line is never faster than the real one.
    return timing_.line_rate == 0 ? 0 : (1'000'000 + timing_.line_rate - 1) / timing_.line_rate;
}

PortOpenResult VirtualPort::OpenLinkPort(int port_number) {
    if (open_) {
        return PortOpenResult::in_use;
    }
    if (port_number < 1 || port_number > 99 || port_number != port_number_) {
        return PortOpenResult::no_such_port;
    }
    if (open_failure_ != PortOpenResult::ok) {
        const PortOpenResult failure = open_failure_;
        open_failure_ = PortOpenResult::ok;
        return failure;
    }
    open_ = true;
    baud_ = 38400;
    incoming_.clear();
    ++stats_.opens;
    clock_.sleep_ms(timing_.open_settle_ms);
    out_line_free_us_ = in_line_free_us_ = clock_.now_us();
    return PortOpenResult::ok;
}

bool VirtualPort::CloseLinkPort() {
    if (!open_) {
        return false;
    }
    // The driver drains what was written before the handle goes away.
    if (!outgoing_.empty()) {
        deliver_until(outgoing_.back().at_us);
    }
    incoming_.clear();
    open_ = false;
    ++stats_.closes;
    return true;
}

void VirtualPort::deliver_until(std::uint64_t now_us) {
    while (!outgoing_.empty() && outgoing_.front().at_us <= now_us) {
        const TimedByte sent = outgoing_.front();
        outgoing_.pop_front();
        if (peer_ == nullptr) {
            continue;
        }
        const Bytes answer = peer_->on_receive(std::span<const std::uint8_t>(&sent.byte, 1));
        std::uint64_t t = std::max(in_line_free_us_, sent.at_us + timing_.peer_latency_us);
        for (const std::uint8_t b : answer) {
            t += byte_time_us();
            incoming_.push_back({t, b});
        }
        if (!answer.empty()) {
            in_line_free_us_ = t;
        }
    }
}

void VirtualPort::inject(std::span<const std::uint8_t> bytes) {
    std::uint64_t t = std::max(in_line_free_us_, clock_.now_us());
    for (const std::uint8_t b : bytes) {
        t += byte_time_us();
        incoming_.push_back({t, b});
    }
    in_line_free_us_ = t;
}

PortWriteResult VirtualPort::WriteLinkBytes(std::span<const std::uint8_t> bytes) {
    PortWriteResult result;
    if (!open_) {
        result.status = PortWriteStatus::failed;
        result.written = bytes.size();
        return result;
    }
    ++stats_.writes;
    const std::size_t count = std::min(bytes.size(), write_limit_);
    write_limit_ = SIZE_MAX;
    std::uint64_t t = std::max(out_line_free_us_, clock_.now_us());
    for (std::size_t i = 0; i < count; ++i) {
        t += byte_time_us();
        outgoing_.push_back({t, bytes[i]});
        wire_log_.push_back(bytes[i]);
    }
    out_line_free_us_ = t;
    stats_.bytes_written += count;
    result.written = count;
    result.status =
        count == bytes.size() ? PortWriteStatus::all_written : PortWriteStatus::timed_out;
    if (timing_.line_rate == 0) {
        deliver_until(clock_.now_us());
    }
    return result;
}

PortReadResult VirtualPort::ReadLinkBytes(std::span<std::uint8_t> buffer) {
    PortReadResult result;
    if (!open_) {
        result.status = PortReadStatus::failed;
        result.error_code = 3;
        return result;
    }
    ++stats_.reads;
    const std::size_t request = buffer.size() > 5 ? buffer.size() / 2 : buffer.size();
    deliver_until(clock_.now_us());
    const std::uint64_t deadline = clock_.now_us() + std::uint64_t{timing_.read_total_ms} * 1000;
    // Wait for the first byte, letting the peer see what is still on the line meanwhile.
    while (incoming_.empty() || incoming_.front().at_us > clock_.now_us()) {
        const std::uint64_t next_in = incoming_.empty() ? kNever : incoming_.front().at_us;
        const std::uint64_t next_out = outgoing_.empty() ? kNever : outgoing_.front().at_us;
        if (next_in <= next_out && next_in <= deadline) {
            clock_.advance_to_us(next_in);
        } else if (next_out <= deadline) {
            clock_.advance_to_us(next_out);
            deliver_until(clock_.now_us());
        } else {
            clock_.advance_to_us(deadline);
            return result;
        }
    }
    // Collect until the request is full or the line stays quiet for the interval time-out.
    const std::uint64_t interval_us = std::uint64_t{timing_.read_interval_ms} * 1000;
    std::uint64_t last_us = clock_.now_us();
    std::size_t got = 0;
    while (got < request) {
        deliver_until(clock_.now_us());
        if (incoming_.empty()) {
            // Bytes still on the way out may draw an answer within the interval.
            if (!outgoing_.empty() && outgoing_.front().at_us <= last_us + interval_us) {
                clock_.advance_to_us(outgoing_.front().at_us);
                continue;
            }
            break;
        }
        const TimedByte next = incoming_.front();
        if (next.at_us > last_us + interval_us) {
            break;
        }
        clock_.advance_to_us(next.at_us);
        incoming_.pop_front();
        buffer[got++] = next.byte;
        last_us = std::max(last_us, next.at_us);
    }
    if (got < request) {
        clock_.advance_to_us(last_us + interval_us);
    }
    stats_.bytes_read += got;
    result.received = got;
    return result;
}

bool VirtualPort::PurgeLinkPort() {
    if (!open_) {
        return false;
    }
    ++stats_.purges;
    // Received bytes waiting in the driver are dropped; what is still on its way is not.
    deliver_until(clock_.now_us());
    while (!incoming_.empty() && incoming_.front().at_us <= clock_.now_us()) {
        incoming_.pop_front();
    }
    return true;
}

std::size_t VirtualPort::ClearLinkErrors() {
    deliver_until(clock_.now_us());
    return outgoing_.size();
}

bool VirtualPort::SetLinkBaud(std::uint32_t rate) {
    if (!open_) {
        return false;
    }
    baud_ = rate;
    return true;
}

}  // namespace travex
