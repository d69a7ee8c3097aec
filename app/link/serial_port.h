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

// WriteLinkBytes: result 0 all written, 1 the write failed (the whole request counts as
// written), 2 fewer bytes went out before the write time-out.
struct PortWriteResult {
    int result = 0;
    std::size_t written = 0;
};

// ReadLinkBytes: result 1 with the count received (0 when nothing arrived within the read
// time-out), result 2 on a failed read with error code 3.
struct PortReadResult {
    int result = 1;
    std::size_t received = 0;
    int error_code = 0;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens port 1..99 with the fixed line settings: 38400 baud, 8 data bits, no parity, two
    // stop bits, no flow control, DTR and RTS off, read interval 3 ms, read total 300 ms,
    // write total 1300 ms; purges; settles.
    virtual PortOpenResult open(int port_number) = 0;
    virtual bool close() = 0;
    virtual bool is_open() const = 0;
    virtual PortWriteResult write(std::span<const std::uint8_t> bytes) = 0;
    // Asks for capacity bytes, halved when capacity exceeds 5.
    virtual PortReadResult read(std::span<std::uint8_t> buffer) = 0;
    // PurgeComm with all four flags.
    virtual bool purge() = 0;
    // ClearCommError: answers the bytes still waiting in the output queue.
    virtual std::size_t clear_errors() = 0;
    // Firmware update only: changes the speed, keeping every other line setting.
    virtual bool set_baud(std::uint32_t rate) = 0;
};

// Milliseconds, as the link timer and the port's time-outs count them.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t now_ms() = 0;
    virtual void sleep_ms(std::uint32_t ms) = 0;
};

}  // namespace travex
