#pragma once
// The serial port on a Windows COM port ("\\.\COMn"), with overlapped reads and writes.
#include <cstdint>
#include <memory>

#include "link/serial_port.h"

namespace travex {

class Win32SerialPort final : public SerialPort {
public:
    // settle_ms: the pause after opening that lets the calculator side settle (1000 ms).
    explicit Win32SerialPort(std::uint32_t settle_ms = 1000);
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    PortOpenResult OpenLinkPort(int port_number) override;
    bool CloseLinkPort() override;
    bool is_open() const override;
    PortWriteResult WriteLinkBytes(std::span<const std::uint8_t> bytes) override;
    PortReadResult ReadLinkBytes(std::span<std::uint8_t> buffer) override;
    bool PurgeLinkPort() override;
    std::size_t ClearLinkErrors() override;
    bool SetLinkBaud(std::uint32_t rate) override;

private:
    struct State;
    std::unique_ptr<State> state_;
    std::uint32_t settle_ms_;
};

}  // namespace travex
