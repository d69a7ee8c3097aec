#include "cli/device_port.h"
#include "link/port_probe.h"
#include "link/serial_port_win32.h"

namespace travex::cli {

std::optional<DevicePort> make_device_port(const std::string& device, std::string& error) {
    // "COM3", also written "com3" or "\\.\COM3".
    std::string name = device;
    if (name.rfind("\\\\.\\", 0) == 0) {
        name.erase(0, 4);
    }
    const bool com = name.size() > 3 && (name[0] == 'C' || name[0] == 'c') &&
                     (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm');
    const auto number = com ? port_number_of_device_name(name) : std::nullopt;
    if (!number || std::to_string(*number) != name.substr(3)) {
        error = device + ": not a port name (COM1 to COM99)";
        return std::nullopt;
    }
    DevicePort result;
    result.port = std::make_unique<Win32SerialPort>();
    result.number = *number;
    return result;
}

}  // namespace travex::cli
