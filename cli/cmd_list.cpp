// travex-cli list: the calculator's items as the receive list shows them.
#include <cstdio>

#include "cli/link_command_support.h"

namespace travex::cli {
namespace {

// How the calculator is asked for an item: by the name from its directory, by a variable code,
// or as a single setup block.
const char* form_word(link::RequestForm form) {
    switch (form) {
        case link::RequestForm::named:
            return "named";
        case link::RequestForm::by_code:
            return "by_code";
        case link::RequestForm::setup:
            return "setup";
    }
    return "";
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, link_option_spec({"--json"}, {}), error);
    if (!options) {
        return usage_error("list", error);
    }
    if (!options->positional.empty()) {
        return usage_error("list", "no arguments expected");
    }
    PortSetupError port_error;
    const auto port = make_cli_port(*options, port_error);
    if (!port) {
        return port_setup_failed("list", port_error);
    }
    ConsoleQuestions ui(false);
    link::CountingProgress progress;
    link::LinkSession session(*port->port, *port->clock, port->settings, real_file_system(), ui,
                              progress);
    trace_steps(*port, session);
    std::vector<link::ReceiveItem> items;
    const link::LinkOutcome outcome = session.list(items);
    if (options->has("--json")) {
        std::string listing;
        for (const auto& item : items) {
            listing += std::string(listing.empty() ? "" : ",") +
                       "\n  {\"name\": " + json_quoted(item.line_text) +
                       ", \"type_letter\": " + json_quoted(std::string(1, item.letter)) +
                       ", \"slot\": " + std::to_string(item.slot) + ", \"form\": \"" +
                       form_word(item.form) + "\"}";
        }
        std::printf("{\"items\": [%s], %s}\n", listing.c_str(),
                    json_outcome(outcome, *port).c_str());
    }
    if (!outcome.ok) {
        return link_failure(outcome, *port);
    }
    if (!options->has("--json")) {
        for (const auto& item : items) {
            std::printf("%s\n", item.line_text.c_str());
        }
    }
    return kExitOk;
}

const RegisterCommand reg(
    {"list",
     "list [--json] (--sim [--items DIR] [--fault FAULT]... | --port DEVICE) [--trace FILE]",
     "list the calculator's items as the receive list shows them", &run});

}  // namespace
}  // namespace travex::cli
