// travex-cli send: the send dialog's checks, then every file to the calculator.
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "cli/link_command_support.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, link_option_spec({"--time", "--json"}, {}), error);
    if (!options) {
        return usage_error("send", error);
    }
    if (options->positional.empty()) {
        return usage_error("send", "no files given");
    }
    PortSetupError port_error;
    const auto port = make_cli_port(*options, port_error);
    if (!port) {
        return port_setup_failed("send", port_error);
    }
    const std::vector<std::string>& files = options->positional;
    const link::SendSelectionCheck check =
        link::check_send_selection(files, port->settings.model_code);
    if (check.result == link::SendSelectionCheck::Result::backup_conflict) {
        return fail("", full_message_text(MessageId::backup_with_data));
    }
    if (check.result == link::SendSelectionCheck::Result::bad_extension) {
        return fail(check.failing_name,
                    console_text(full_message_text(MessageId::not_transmittable_extension)));
    }
    ConsoleQuestions ui(false);
    // The progress names a file as the transfer does (without its folder); its size on disk
    // stands for the bytes it takes on the line.
    std::map<std::string, std::uint64_t, std::less<>> sizes;
    for (const std::string& path : files) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        const std::size_t slash = path.find_last_of("/\\");
        sizes[slash == std::string::npos ? path : path.substr(slash + 1)] = ec ? 0 : size;
    }
    LiveLink live(*port, *options, [&sizes](std::string_view item) {
        const auto it = sizes.find(item);
        return it == sizes.end() ? std::nullopt : std::optional<std::uint64_t>(it->second);
    });
    link::LinkSession session(live.meter, *port->clock, port->settings, real_file_system(), ui,
                              live.progress);
    live.watch(session);
    trace_steps(*port, session);
    const link::LinkOutcome outcome = session.send(files);
    bool all_sent = true;
    const bool json = options->has("--json");
    std::string listing;
    for (const link::FileReport& report : session.reports()) {
        all_sent = all_sent && report.outcome == link::FileOutcome::sent;
        if (json) {
            listing += std::string(listing.empty() ? "" : ",") +
                       "\n  {\"path\": " + json_quoted(report.name) + ", \"outcome\": \"" +
                       outcome_word(report.outcome) + "\"}";
        } else {
            std::printf("%s: %s\n", report.name.c_str(), outcome_text(report.outcome));
        }
    }
    if (json) {
        std::printf("{\"files\": [%s], \"transfer_ms\": %llu, %s}\n", listing.c_str(),
                    static_cast<unsigned long long>(session.transfer_ms()),
                    json_outcome(outcome, *port).c_str());
    }
    if (options->has("--time")) {
        // The transfer proper: from the first file's script to the end of the last one.
        std::fprintf(stderr, "transfer: %llu ms\n",
                     static_cast<unsigned long long>(session.transfer_ms()));
    }
    if (!outcome.ok) {
        return link_failure(outcome, *port);
    }
    return all_sent ? kExitOk : kExitFailure;
}

const RegisterCommand reg({"send",
                           "send FILE... [--time] [--quiet] [--json] (--sim [--items DIR] [--fault "
                           "FAULT]... | --port DEVICE) "
                           "[--trace FILE]",
                           "send calculator files to the calculator", &run});

}  // namespace
}  // namespace travex::cli
