// travex-cli list: the calculator's items as the receive list shows them.
#include <cstdio>

#include "cli/link_command_support.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, link_option_spec({}, {}), error);
    if (!options) {
        return usage_error("list", error);
    }
    if (!options->positional.empty()) {
        return usage_error("list", "no arguments expected");
    }
    const auto port = make_cli_port(*options, error);
    if (!port) {
        return usage_error("list", error);
    }
    ConsoleQuestions ui(false);
    link::CountingProgress progress;
    link::LinkSession session(*port->port, *port->clock, port->settings, real_file_system(), ui,
                              progress);
    trace_steps(*port, session);
    std::vector<link::ReceiveItem> items;
    const link::LinkOutcome outcome = session.list(items);
    if (!outcome.ok) {
        return link_failure(outcome);
    }
    for (const auto& item : items) {
        std::printf("%s\n", item.line_text.c_str());
    }
    return kExitOk;
}

const RegisterCommand reg(
    {"list", "list (--sim [--items DIR] [--fault FAULT]... | --port DEVICE) [--trace FILE]",
     "list the calculator's items as the receive list shows them", &run});

}  // namespace
}  // namespace travex::cli
