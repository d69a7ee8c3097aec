// travex-cli probe: finds the serial port with a calculator by saying the link hello on every
// candidate port at the same time; the first port of the list that answered is the one.
#include <cstdio>
#include <vector>

#include "cli/command.h"
#include "cli/device_port.h"
#include "cli/options.h"
#include "link/hello_probe.h"
#include "link/parallel_probe.h"
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
    const OptionSpec known{{"--all", "--list"}, {"--port"}};
    const auto options = parse_options(args, known, error);
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
    const std::vector<bool> answered = link::probe_all_at_once(
        ports.size(), [&ports](std::size_t i) { return answers(ports[i]); });
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < answered.size(); ++i) {
        if (answered[i] && (found.empty() || options->has("--all"))) {
            found.push_back(i);
        }
    }
    if (found.empty()) {
        return fail("", "no calculator answered on any port");
    }
    for (const std::size_t i : found) {
        std::printf("%s\n", names[i].c_str());
    }
    return kExitOk;
}

const RegisterCommand reg({"probe", "probe [--port DEVICE]... [--all] [--list]",
                           "find the serial port with a calculator (--all: every such port)",
                           &run});

}  // namespace
}  // namespace travex::cli
