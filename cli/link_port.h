#pragma once
// The port the link commands talk through: the in-process simulated calculator (--sim, with
// --items DIR to preload it and --fault FAULT to make it misbehave) or a real serial device
// (--port DEVICE, provided by a factory that the platform's port code installs).
#include <memory>
#include <string>

#include "cli/options.h"
#include "link/link_engine.h"
#include "link/serial_port.h"
#include "link/tracing_port.h"

namespace travex::cli {

struct CliPort {
    // Declared first so that it is destroyed last: the port may refer to it.
    std::shared_ptr<void> keep_alive;
    std::unique_ptr<Clock> clock;
    // With --trace FILE: the port underneath the trace, and the trace file.
    std::unique_ptr<SerialPort> traced_port;
    std::unique_ptr<link::TraceSink> trace_sink;
    link::TracingPort* trace = nullptr;
    std::unique_ptr<SerialPort> port;
    link::LinkSettings settings;
    // What failures of the link name: the device, or the simulated calculator.
    std::string name;
};

// Options shared by every link command (--timer MS and --out-buffer N set the link timer's period
// and the bytes written per tick, as TimerInterval and OutBuffer do for the application).
OptionSpec link_option_spec(std::set<std::string> flags, std::set<std::string> valued);

// Why no port could be made: options that contradict each other or do not parse (a usage error),
// or a file the options name (--items DIR, --trace FILE) that could not be read or written.
struct PortSetupError {
    std::string problem;
    std::string file;  // empty for a usage error
};

// Builds the port of the options (with --trace FILE, wrapped in the wire trace), or sets error.
std::unique_ptr<CliPort> make_cli_port(const ParsedOptions& options, PortSetupError& error);

// The exit of a command whose port could not be made: a usage error (2), or a failure that names
// the file (1).
int port_setup_failed(std::string_view command, const PortSetupError& error);

// Opens a real serial device for --port; installed by the platform's serial code.
using RealPortFactory = std::unique_ptr<CliPort> (*)(const std::string& device, std::string& error);
void set_real_port_factory(RealPortFactory factory);

// The message of a link outcome on one console line ("\r" becomes a blank).
std::string console_text(std::string_view message);

}  // namespace travex::cli
