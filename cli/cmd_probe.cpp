// travex-cli probe: finds the serial port with a calculator by saying the link hello on every
// candidate port at the same time; the first port of the list that answered is the one.
#include <cstdio>
#include <vector>

#include "cli/command.h"
#include "cli/device_port.h"
#include "cli/interrupt.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/terminal.h"
#include "link/hello_probe.h"
#include "link/parallel_probe.h"
#include "link/port_probe.h"
#include "link/real_clock.h"

namespace travex::cli {
namespace {

// Ctrl+C stops the port being tried (closing it again) and every one after it.
bool answers(DevicePort& device) {
    if (interrupt_requested()) {
        return false;
    }
    const link::LinkSettings settings;
    return link::probe_with_hello(*device.port, device.number, settings, real_clock(),
                                  [] { return interrupt_requested(); })
        .answered;
}

// The ports being tried: a redrawn line on a terminal, a line per port elsewhere, nothing
// with --quiet.
class ProbeProgress {
public:
    ProbeProgress(bool quiet, std::size_t count)
        : quiet_(quiet), live_(stderr_is_terminal()), count_(count) {}
    ~ProbeProgress() {
        if (!quiet_ && live_ && width_ > 0) {
            std::fprintf(stderr, "\r%*s\r", width_, "");
        }
    }
    ProbeProgress(const ProbeProgress&) = delete;
    ProbeProgress& operator=(const ProbeProgress&) = delete;
    void trying_all() {
        if (quiet_ || !live_) {
            return;
        }
        char line[128];
        const int n = std::snprintf(line, sizeof line, "probing %zu port%s at once", count_,
                                    count_ == 1 ? "" : "s");
        std::fprintf(stderr, "\r%-*s", width_, line);
        width_ = n > width_ ? n : width_;
        std::fflush(stderr);
    }
    void tried(const std::string& name, bool answered) {
        if (quiet_ || live_) {
            return;
        }
        std::fprintf(stderr, "%s: %s\n", name.c_str(),
                     answered ? "calculator answered" : "no answer");
    }

private:
    bool quiet_;
    bool live_;
    std::size_t count_;
    int width_ = 0;
};

int run(Args args) {
    std::string error;
    const OptionSpec known{{"--all", "--list", "--quiet", "--json"}, {"--port"}};
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
    const bool json = options->has("--json");
    const auto json_names = [](const std::vector<std::string>& list) {
        std::string out;
        for (const std::string& name : list) {
            out += (out.empty() ? "" : ", ") + json_quoted(name);
        }
        return "[" + out + "]";
    };
    if (options->has("--list")) {
        if (json) {
            std::printf("{\"ports\": %s}\n", json_names(names).c_str());
            return kExitOk;
        }
        for (const std::string& name : names) {
            std::printf("%s\n", name.c_str());
        }
        return kExitOk;
    }
    if (names.empty()) {
        if (json) {
            std::printf("{\"tried\": [], \"found\": []}\n");
        }
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
    // Every port is probed at the same time; the progress and the JSON list them in list order.
    const InterruptCatcher interrupts;
    ProbeProgress progress(options->has("--quiet"), names.size());
    progress.trying_all();
    const std::vector<bool> answered = link::probe_all_at_once(
        ports.size(), [&ports](std::size_t i) { return answers(ports[i]); });
    std::string tried;
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < answered.size(); ++i) {
        progress.tried(names[i], answered[i]);
        tried += std::string(tried.empty() ? "" : ",") + "\n  {\"port\": " + json_quoted(names[i]) +
                 ", \"answered\": " + (answered[i] ? "true" : "false") + "}";
        if (answered[i] && (found.empty() || options->has("--all"))) {
            found.push_back(i);
        }
    }
    std::vector<std::string> found_names;
    for (const std::size_t i : found) {
        found_names.push_back(names[i]);
    }
    if (json) {
        std::printf("{\"tried\": [%s], \"found\": %s}\n", tried.c_str(),
                    json_names(found_names).c_str());
    }
    if (interrupt_requested()) {
        fail("", "stopped by Ctrl+C");
        return kExitInterrupted;
    }
    if (found.empty()) {
        return fail("", "no calculator answered on any port");
    }
    if (!json) {
        for (const std::string& name : found_names) {
            std::printf("%s\n", name.c_str());
        }
    }
    return kExitOk;
}

const RegisterCommand reg({"probe", "probe [--port DEVICE]... [--all] [--list] [--quiet] [--json]",
                           "find the serial port with a calculator (--all: every such port)",
                           &run});

}  // namespace
}  // namespace travex::cli
