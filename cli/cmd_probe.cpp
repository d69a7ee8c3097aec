// travex-cli probe: finds the serial port with a calculator by trying the ports one after another
// with the link hello, as the Auto Setting of the port dialog does.
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

bool answers(DevicePort& device) {
    const link::LinkSettings settings;
    return link::probe_with_hello(*device.port, device.number, settings, real_clock()).answered;
}

int run(Args args) {
    std::string error;
    const OptionSpec spec{{"--all", "--list"}, {"--port"}};
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
    if (options->has("--list")) {
        for (const std::string& name : names) {
            std::printf("%s\n", name.c_str());
        }
        return kExitOk;
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
    // The probe list holds positions in the list of names; each knows its own port.
    std::vector<int> positions;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        positions.push_back(static_cast<int>(i));
    }
    std::vector<int> found;
    if (options->has("--all")) {
        for (int i : positions) {
            if (answers(ports[static_cast<std::size_t>(i)])) {
                found.push_back(i);
            }
        }
    } else if (const auto first = probe_ports(
                   positions, [&](int i) { return answers(ports[static_cast<std::size_t>(i)]); })) {
        found.push_back(*first);
    }
    if (found.empty()) {
        return fail("", "no calculator answered on any port");
    }
    for (int i : found) {
        std::printf("%s\n", names[static_cast<std::size_t>(i)].c_str());
    }
    return kExitOk;
}

const RegisterCommand reg({"probe", "probe [--port DEVICE]... [--all] [--list]",
                           "find the serial port with a calculator (--all: every such port)",
                           &run});

}  // namespace
}  // namespace travex::cli
