#pragma once
// The serial port on a POSIX terminal device (a USB serial adapter, a pseudo-terminal): the same
// line settings, time-outs and result codes as the COM port of the Windows build.
#include <cstdint>
#include <functional>
#include <string>

#include "link/serial_port.h"

namespace travex {

// Names the device of a port number; an empty name means the port does not exist.
using DeviceResolver = std::function<std::string(int port_number)>;

class PosixSerialPort final : public SerialPort {
public:
    // settle_ms: the pause after opening that lets the calculator side settle before the first
    // byte (1000 ms for a real line; tests may pass 0). clock serves that pause.
    PosixSerialPort(DeviceResolver resolver, Clock& clock, std::uint32_t settle_ms = 1000);
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    PortOpenResult OpenLinkPort(int port_number) override;
    bool CloseLinkPort() override;
    bool is_open() const override { return fd_ >= 0; }
    PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override;
    PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override;
    bool PurgeLinkPort() override;
    std::size_t ClearLinkErrors() override;
    bool SetLinkBaud(std::uint32_t rate) override;

    // The device of the open port (empty while closed).
    const std::string& device() const { return device_; }

private:
    DeviceResolver resolver_;
    Clock& clock_;
    std::uint32_t settle_ms_;
    int fd_ = -1;
    std::string device_;
};

}  // namespace travex
