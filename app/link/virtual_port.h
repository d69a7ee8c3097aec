#pragma once
// A serial port without hardware: the far end is a byte-stream peer (the simulated calculator
// or a test script) and all timing runs on a manual clock, so every exchange is repeatable.
//
// The line is modelled in both directions at a fixed byte rate: a written byte waits in the
// output queue until the line has carried the bytes before it, and a byte the peer answers
// reaches the input side one byte time after the previous one. Reads follow the port's
// time-outs: nothing within 300 ms answers 0 bytes; bytes that arrive end the read 3 ms after
// the last of them (or when the request size is reached).
#include <cstdint>
#include <deque>
#include <memory>
#include <span>

#include "base/bytes.h"
#include "link/serial_port.h"

namespace travex {

// Time that moves only when told to. Counts microseconds so that byte times on a fast line
// stay exact; the Clock interface sees milliseconds.
class VirtualClock final : public Clock {
public:
    std::uint64_t now_ms() override { return now_us_ / 1000; }
    void sleep_ms(std::uint32_t ms) override { now_us_ += std::uint64_t{ms} * 1000; }
    std::uint64_t now_us() const { return now_us_; }
    void advance_us(std::uint64_t us) { now_us_ += us; }
    void advance_to_us(std::uint64_t t) {
        if (t > now_us_) {
            now_us_ = t;
        }
    }

private:
    std::uint64_t now_us_ = 0;
};

// The far end of a virtual port.
class PortPeer {
public:
    virtual ~PortPeer() = default;
    // Bytes from the computer that have reached the peer; answers the bytes the peer sends
    // back from that moment on (possibly none).
    virtual Bytes on_receive(std::span<const std::uint8_t> bytes) = 0;
};

struct VirtualPortTiming {
    // Bytes per second in each direction; 0 carries bytes without delay.
    std::uint32_t line_rate = 3491;
    // Time the peer takes before its answer starts on the line.
    std::uint32_t peer_latency_us = 0;
    // Port time-outs as the port is opened with them.
    std::uint32_t read_total_ms = 300;
    std::uint32_t read_interval_ms = 3;
    // Time spent by a successful open (the settle pause before the first byte).
    std::uint32_t open_settle_ms = 1000;
};

// Counters for tests: what the computer's side did with the port.
struct VirtualPortStats {
    int opens = 0;
    int closes = 0;
    int purges = 0;
    int writes = 0;
    int reads = 0;
    std::size_t bytes_written = 0;
    std::size_t bytes_read = 0;
};

class VirtualPort final : public SerialPort {
public:
    VirtualPort(VirtualClock& clock, PortPeer* peer, VirtualPortTiming timing = {});

    PortOpenResult OpenLinkPort(int port_number) override;
    bool CloseLinkPort() override;
    bool is_open() const override { return open_; }
    PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override;
    PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override;
    bool PurgeLinkPort() override;
    std::size_t ClearLinkErrors() override;
    bool SetLinkBaud(std::uint32_t rate) override;

    void set_peer(PortPeer* peer) { peer_ = peer; }
    // Bytes the far end starts sending now (after anything it is still sending), for tests
    // that play the calculator by hand.
    void inject(std::span<const std::uint8_t> bytes);
    // Written bytes the far end has not received yet.
    std::size_t output_queue() const { return outgoing_.size(); }
    // Only this port number exists; any other fails as a missing port.
    void set_port_number(int number) { port_number_ = number; }
    // The next write carries only this many bytes (then fails as a time-out), for tests.
    void limit_next_write(std::size_t bytes) { write_limit_ = bytes; }
    // Makes the next open fail with the given result, for tests.
    void fail_next_open(PortOpenResult result) { open_failure_ = result; }
    const VirtualPortStats& stats() const { return stats_; }
    // Every byte the computer wrote, in order (a wire log for tests).
    const Bytes& wire_log() const { return wire_log_; }
    std::uint32_t baud() const { return baud_; }

private:
    struct TimedByte {
        std::uint64_t at_us;
        std::uint8_t byte;
    };
    std::uint64_t byte_time_us() const;
    // Hands the peer every written byte that has crossed the line by now_us and schedules
    // its answers.
    void deliver_until(std::uint64_t now_us);

    VirtualClock& clock_;
    PortPeer* peer_;
    VirtualPortTiming timing_;
    bool open_ = false;
    int port_number_ = 1;
    std::uint32_t baud_ = 38400;
    std::deque<TimedByte> outgoing_;  // written, with the time each is through the line
    std::deque<TimedByte> incoming_;  // answered, with the time each reaches the port
    std::uint64_t out_line_free_us_ = 0;
    std::uint64_t in_line_free_us_ = 0;
    std::size_t write_limit_ = SIZE_MAX;
    PortOpenResult open_failure_ = PortOpenResult::ok;
    VirtualPortStats stats_;
    Bytes wire_log_;
};

}  // namespace travex
