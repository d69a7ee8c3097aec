// travex-cli probe: finds the serial port with a calculator by trying the ports one after another
// with the link hello; prints the first port that answered.
#include <cstdio>
#include <vector>

#include "cli/command.h"
#include "cli/device_port.h"
#include "cli/options.h"
#include "link/hello_probe.h"
#include "link/port_probe.h"
#include "link/real_clock.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const OptionSpec spec{{}, {"--port"}};
    const auto options = parse_options(args, spec, error);
    if (!options) {
        return usage_error("probe", error);
    }
    if (!options->positional.empty()) {
        return usage_error("probe", "unexpected argument " + options->positional.front());
    }
    std::vector<std::string> names = options->all("--port");
    if (names.empty()) {
        for (const SerialDevice& device : system_serial_devices()) {
            names.push_back(device.name);
        }
    }
    if (names.empty()) {
        return fail("", "no serial ports found");
    }
    std::vector<DevicePort> ports;
    for (const std::string& name : names) {
        auto port = make_device_port(name, error);
        if (!port) {
            return usage_error("probe", error);
        }
        ports.push_back(std::move(*port));
    }
    // The probe list is the positions in the list; each position knows its port number.
    std::vector<int> positions;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        positions.push_back(static_cast<int>(i));
    }
    const link::LinkSettings settings;
    const auto found = probe_ports(positions, [&](int i) {
        DevicePort& p = ports[static_cast<std::size_t>(i)];
        return link::probe_with_hello(*p.port, p.number, settings, real_clock()).answered;
    });
    if (!found) {
        return fail("", "no calculator answered on any port");
    }
    std::printf("%s\n", names[static_cast<std::size_t>(*found)].c_str());
    return kExitOk;
}

const RegisterCommand reg({"probe", "probe [--port DEVICE]...",
                           "find the serial port with a calculator (the link hello on each port)",
                           &run});

}  // namespace
}  // namespace travex::cli
