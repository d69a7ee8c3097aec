#include "cli/link_port.h"

#include <charconv>

#include "base/file_system.h"
#include "link/virtual_port.h"
#include "sim/sim_calculator.h"

namespace travex::cli {
namespace {

RealPortFactory& real_factory() {
    static RealPortFactory factory = nullptr;
    return factory;
}

}  // namespace

void set_real_port_factory(RealPortFactory factory) {
    real_factory() = factory;
}

OptionSpec link_option_spec(std::set<std::string> flags, std::set<std::string> valued) {
    flags.insert("--sim");
    valued.insert({"--items", "--fault", "--port", "--timer", "--out-buffer"});
    return OptionSpec{std::move(flags), std::move(valued)};
}

std::string console_text(std::string_view message) {
    std::string text(message);
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

namespace {

// A positive whole number of an option, or an error.
bool positive_option(const ParsedOptions& options, const char* name, int& value,
                     std::string& error) {
    const auto text = options.value(name);
    if (!text) {
        return true;
    }
    int parsed = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), parsed);
    if (ec != std::errc{} || end != text->data() + text->size() || parsed <= 0) {
        error = std::string(name) + " needs a positive whole number, not '" + *text + "'";
        return false;
    }
    value = parsed;
    return true;
}

// The link timer's period and the write allowance per tick (the settings file's TimerInterval
// and OutBuffer) when the options give them.
std::unique_ptr<CliPort> with_link_pacing(std::unique_ptr<CliPort> port,
                                          const ParsedOptions& options, std::string& error) {
    if (!port) {
        return port;
    }
    if (!positive_option(options, "--timer", port->settings.timer_interval_ms, error) ||
        !positive_option(options, "--out-buffer", port->settings.out_buffer, error)) {
        return nullptr;
    }
    return port;
}

std::unique_ptr<CliPort> make_port(const ParsedOptions& options, std::string& error);

}  // namespace

std::unique_ptr<CliPort> make_cli_port(const ParsedOptions& options, std::string& error) {
    return with_link_pacing(make_port(options, error), options, error);
}

namespace {

std::unique_ptr<CliPort> make_port(const ParsedOptions& options, std::string& error) {
    const auto device = options.value("--port");
    if (options.has("--sim") && device) {
        error = "--sim and --port exclude each other";
        return nullptr;
    }
    if (device) {
        if (real_factory() == nullptr) {
            error = "serial ports are not available in this build";
            return nullptr;
        }
        return real_factory()(*device, error);
    }
    if (!options.has("--sim")) {
        error = "give --sim or --port DEVICE";
        return nullptr;
    }
    auto sim = std::make_shared<sim::SimCalculator>();
    if (const auto folder = options.value("--items")) {
        if (sim->memory().load_folder(*folder, real_file_system()) < 0) {
            error = "cannot read " + *folder;
            return nullptr;
        }
    }
    for (const std::string& fault_text : options.all("--fault")) {
        const auto fault = sim::parse_fault(fault_text, error);
        if (!fault) {
            return nullptr;
        }
        sim->add_fault(*fault);
    }
    auto result = std::make_unique<CliPort>();
    auto clock = std::make_unique<VirtualClock>();
    result->port = std::make_unique<VirtualPort>(*clock, sim.get());
    result->clock = std::move(clock);
    result->keep_alive = sim;
    return result;
}

}  // namespace

}  // namespace travex::cli
