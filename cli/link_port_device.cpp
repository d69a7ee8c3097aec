// --port DEVICE for the link commands: the system's serial port of that name, on the real clock.
#include "cli/device_port.h"
#include "cli/link_port.h"
#include "link/real_clock.h"

namespace travex::cli {
namespace {

// The process's real clock, owned the way the link commands hold their clock.
class RealClock final : public Clock {
public:
    std::uint64_t now_ms() override { return real_clock().now_ms(); }
    void sleep_ms(std::uint32_t ms) override { real_clock().sleep_ms(ms); }
};

std::unique_ptr<CliPort> device_cli_port(const std::string& device, std::string& error) {
    auto port = make_device_port(device, error);
    if (!port) {
        return nullptr;
    }
    auto result = std::make_unique<CliPort>();
    result->clock = std::make_unique<RealClock>();
    result->port = std::move(port->port);
    result->settings.port_number = port->number;
    return result;
}

const bool installed = (set_real_port_factory(&device_cli_port), true);

}  // namespace
}  // namespace travex::cli
