#include "cli/device_port.h"
#include "link/real_clock.h"
#include "link/serial_port_posix.h"

namespace travex::cli {

std::optional<DevicePort> make_device_port(const std::string& device, std::string& error) {
    if (device.empty()) {
        error = "empty port name";
        return std::nullopt;
    }
    // The named device stands for the link port whatever number the link opens.
    DevicePort result;
    result.port = std::make_unique<PosixSerialPort>([device](int) { return device; }, real_clock());
    result.number = 1;
    return result;
}

}  // namespace travex::cli
