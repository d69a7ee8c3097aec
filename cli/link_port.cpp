#include "cli/link_port.h"

#include <charconv>

#include "base/file_system.h"
#include "cli/command.h"
#include "link/trace_file.h"
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
    flags.insert({"--sim", "--quiet"});
    valued.insert({"--items", "--fault", "--port", "--trace", "--timer", "--out-buffer"});
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

}  // namespace

std::unique_ptr<CliPort> make_untraced_port(const ParsedOptions& options,
                                            PortSetupError& setup_error) {
    std::string& error = setup_error.problem;
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
        auto port = real_factory()(*device, error);
        if (port) {
            port->name = *device;
        }
        return port;
    }
    if (!options.has("--sim")) {
        error = "give --sim or --port DEVICE";
        return nullptr;
    }
    auto sim = std::make_shared<sim::SimCalculator>();
    if (const auto folder = options.value("--items")) {
        if (sim->memory().load_folder(*folder, real_file_system()) < 0) {
            error = "cannot read the folder";
            setup_error.file = *folder;
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
    result->name = "simulated calculator";
    return result;
}

int port_setup_failed(std::string_view command, const PortSetupError& error) {
    return error.file.empty() ? usage_error(command, error.problem)
                              : fail(error.file, error.problem);
}

std::unique_ptr<CliPort> make_cli_port(const ParsedOptions& options, PortSetupError& setup_error) {
    auto port = make_untraced_port(options, setup_error);
    std::string& error = setup_error.problem;
    // The link timer's period and the write allowance per tick (the settings file's
    // TimerInterval and OutBuffer) when the options give them.
    if (port && (!positive_option(options, "--timer", port->settings.timer_interval_ms, error) ||
                 !positive_option(options, "--out-buffer", port->settings.out_buffer, error))) {
        return nullptr;
    }
    const auto trace_path = options.value("--trace");
    if (!port || !trace_path) {
        return port;
    }
    auto file = link::TraceFile::create(*trace_path);
    if (!file) {
        error = "cannot write the trace file";
        setup_error.file = *trace_path;
        return nullptr;
    }
    port->trace_sink = std::move(file);
    port->traced_port = std::move(port->port);
    auto tracing =
        std::make_unique<link::TracingPort>(*port->traced_port, *port->clock, *port->trace_sink);
    port->trace = tracing.get();
    port->port = std::move(tracing);
    return port;
}

}  // namespace travex::cli
