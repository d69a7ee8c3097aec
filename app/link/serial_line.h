#pragma once
// The fixed line settings and time-outs of the calculator link, shared by every serial port.
#include <cstddef>
#include <cstdint>

#include "link/serial_port.h"

namespace travex {

inline constexpr std::uint32_t kLinkBaudRate = 38400;
inline constexpr int kLinkDataBits = 8;
inline constexpr int kLinkStopBits = 2;
inline constexpr int kFirstPortNumber = 1;
inline constexpr int kLastPortNumber = 99;
// A read ends this long after the last byte arrived...
inline constexpr std::uint32_t kReadIntervalTimeoutMs = 3;
// ...or this long after it started when nothing arrives.
inline constexpr std::uint32_t kReadTotalTimeoutMs = 300;
// A write that cannot drain gives up after this long with fewer bytes.
inline constexpr std::uint32_t kWriteTotalTimeoutMs = 1300;
// After opening, the calculator side settles before the first byte.
inline constexpr std::uint32_t kOpenSettleMs = 1000;

inline constexpr bool is_valid_port_number(int number) {
    return number >= kFirstPortNumber && number <= kLastPortNumber;
}

// The one link port a process may hold, as on Windows. An opening first claims it: the answer is
// in_use when this port or another one of the process is open, no_such_port for a number outside
// 1..99 (nothing is held then), else ok and the claim is held until release_link_port().
PortOpenResult claim_link_port(bool this_port_open, int port_number);
void release_link_port();

// While one lives, the process may hold up to `ports` link ports at once: the parallel port
// probe opens every candidate port at the same time, each on its own thread.
class ManyLinkPorts {
public:
    explicit ManyLinkPorts(int ports);
    ~ManyLinkPorts();
    ManyLinkPorts(const ManyLinkPorts&) = delete;
    ManyLinkPorts& operator=(const ManyLinkPorts&) = delete;

private:
    int previous_;
};

// A read asks for half the buffer when it holds more than 5 bytes: the engine's 1024-byte buffer
// takes 512 bytes per read, the firmware updater's small reads are taken whole.
inline constexpr std::size_t read_request_size(std::size_t capacity) {
    return capacity > 5 ? capacity / 2 : capacity;
}

}  // namespace travex
