#pragma once
// The serial port as the link engine and the firmware updater see it. Three implementations:
// Win32 (overlapped COM port I/O), POSIX (termios, for travex-cli and native tests) and a
// virtual port driven by a virtual clock (deterministic engine tests, the in-process simulated
// calculator).
#include <cstddef>
#include <cstdint>
#include <span>

namespace travex {

// Open results; the non-zero values are link error codes, shown as message 400 + code.
enum class PortOpenResult : int {
    ok = 0,
    in_use = 1,        // "Selected port is already in use."
    no_such_port = 2,  // "Selected port does not exist."
    port_error = 3,    // "Port error has occurred."
};

// How a WriteLinkBytes call ended. A failed write counts the whole request as written, so the
// engine's pacing moves on and the missing answer ends the operation.
enum class PortWriteStatus : int {
    all_written = 0,
    failed = 1,
    timed_out = 2,  // fewer bytes went out before the write time-out
};

struct PortWriteResult {
    PortWriteStatus status = PortWriteStatus::all_written;
    std::size_t written = 0;
};

// How a ReadLinkBytes call ended: received with the count (0 when nothing arrived within the
// read time-out), or failed with link error code 3 (port error).
enum class PortReadStatus : int {
    received = 1,
    failed = 2,
};

struct PortReadResult {
    PortReadStatus status = PortReadStatus::received;
    std::size_t received = 0;
    int error_code = 0;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens port 1..99 with the fixed line settings: 38400 baud, 8 data bits, no parity, two
    // stop bits, no flow control, DTR and RTS off, read interval 3 ms, read total 300 ms,
    // write total 1300 ms; purges; settles.
    virtual PortOpenResult OpenLinkPort(int port_number) = 0;
    virtual bool CloseLinkPort() = 0;
    virtual bool is_open() const = 0;
    virtual PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) = 0;
    // Asks for capacity bytes, halved when capacity exceeds 5.
    virtual PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) = 0;
    // PurgeComm with all four flags.
    virtual bool PurgeLinkPort() = 0;
    // ClearCommError: answers the bytes still waiting in the output queue.
    virtual std::size_t ClearLinkErrors() = 0;
    // Firmware update only: changes the speed, keeping every other line setting.
    virtual bool SetLinkBaud(std::uint32_t rate) = 0;
};

// Milliseconds, as the link timer and the port's time-outs count them.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t now_ms() = 0;
    virtual void sleep_ms(std::uint32_t ms) = 0;
};

}  // namespace travex
