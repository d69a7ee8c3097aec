#pragma once
// The serial port named on the command line (--port DEVICE): a terminal device path such as
// /dev/ttyUSB0 or a pseudo-terminal on POSIX systems, "COMn" on Windows.
#include <memory>
#include <optional>
#include <string>

#include "link/serial_port.h"

namespace travex::cli {

struct DevicePort {
    std::unique_ptr<SerialPort> port;
    int number = 1;  // the port number to open it with
};

// The port for device, not yet opened; nothing, with error set, when the name is no port name
// of this system.
std::optional<DevicePort> make_device_port(const std::string& device, std::string& error);

}  // namespace travex::cli
