// travex-cli capture: the calculator's screen, 1056 bytes of display data.
#include <cstdio>

#include "cli/link_command_support.h"
#include "cli/output.h"

namespace travex::cli {
namespace {

bool ends_with(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, link_option_spec({}, {"-o"}), error);
    if (!options) {
        return usage_error("capture", error);
    }
    const auto out = options->value("-o");
    if (!out || !options->positional.empty()) {
        return usage_error("capture", "give -o SHOT.bin");
    }
    if (!ends_with(*out, ".bin")) {
        return usage_error("capture", "the screen is written as raw display data: use -o NAME.bin");
    }
    const auto port = make_cli_port(*options, error);
    if (!port) {
        return usage_error("capture", error);
    }
    ConsoleUi ui(false);
    link::CountingProgress progress;
    link::LinkSession session(*port->port, *port->clock, port->settings, real_file_system(), ui,
                              progress);
    Bytes screen;
    const link::LinkOutcome outcome = session.capture(screen);
    if (!outcome.ok) {
        return link_failure(outcome);
    }
    return write_output(*out, screen);
}

const RegisterCommand reg({"capture",
                           "capture -o SHOT.bin (--sim [--fault SPEC]... | --port DEVICE)",
                           "capture the calculator's screen (1056 bytes of display data)", &run});

}  // namespace
}  // namespace travex::cli
