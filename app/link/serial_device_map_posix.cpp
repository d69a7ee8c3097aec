// The serial ports of a POSIX system: USB serial adapters first, then the built-in lines that
// have hardware behind them. They are numbered 1, 2, ... in that order.
#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "link/port_probe.h"
#include "link/serial_line.h"

namespace travex {
namespace {

// Devices /dev/<prefix><n>, in the order of n.
std::vector<std::string> devices_named(const std::string& prefix) {
    std::vector<std::pair<long, std::string>> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/dev", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        found.emplace_back(std::stol(digits), entry.path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& item : found) {
        paths.push_back(std::move(item.second));
    }
    return paths;
}

// A built-in serial line exists as a device node even without a chip behind it.
bool has_uart(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    serial_struct info{};
    const bool present = ::ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
    ::close(fd);
    return present;
}

}  // namespace

std::vector<SerialDevice> system_serial_devices() {
    std::vector<std::string> paths = devices_named("ttyUSB");
    for (auto& path : devices_named("ttyACM")) {
        paths.push_back(std::move(path));
    }
    for (auto& path : devices_named("ttyS")) {
        if (has_uart(path)) {
            paths.push_back(std::move(path));
        }
    }
    std::vector<SerialDevice> devices;
    for (std::size_t i = 0; i < paths.size() && i < static_cast<std::size_t>(kLastPortNumber);
         ++i) {
        devices.push_back({static_cast<int>(i + 1), paths[i]});
    }
    return devices;
}

}  // namespace travex
