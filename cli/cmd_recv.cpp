// travex-cli recv: receive items from the calculator as calculator files.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/input_caps.h"

#include "cli/link_command_support.h"

namespace travex::cli {
namespace {

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

int run(Args args) {
    std::string error;
    const auto options =
        parse_options(args, link_option_spec({"--all", "--overwrite", "--json"}, {"-C"}), error);
    if (!options) {
        return usage_error("recv", error);
    }
    const bool all = options->has("--all");
    if (all == !options->positional.empty()) {
        return usage_error("recv", "give ITEM names or --all");
    }
    PortSetupError port_error;
    const auto port = make_cli_port(*options, port_error);
    if (!port) {
        return port_setup_failed("recv", port_error);
    }
    const std::string folder = options->value("-C").value_or("");
    // The folder is checked before anything travels: a receive that cannot store its items
    // would otherwise take them from the calculator only to fail at the first one.
    if (!folder.empty()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) {
            return fail(folder, "no such folder; nothing was received");
        }
    }
    std::vector<std::string> wanted;
    for (const std::string& name : options->positional) {
        wanted.push_back(lowered(name));
    }
    std::vector<std::string> unknown;
    const auto choose = [&](const std::vector<link::ReceiveItem>& list) {
        std::vector<link::ReceiveItem> chosen;
        if (all) {
            // Every item the calculator listed itself: its solver equations, programs and
            // slide shows.
            for (const auto& item : list) {
                if (item.form == link::RequestForm::named) {
                    chosen.push_back(item);
                }
            }
            return chosen;
        }
        for (const std::string& name : wanted) {
            const auto it = std::find_if(list.begin(), list.end(),
                                         [&](const auto& item) { return item.line_text == name; });
            if (it == list.end()) {
                unknown.push_back(name);
            } else {
                chosen.push_back(*it);
            }
        }
        if (!unknown.empty()) {
            chosen.clear();  // nothing is received when a name is not on the list
        }
        return chosen;
    };
    ConsoleQuestions ui(options->has("--overwrite"));
    link::LinkSession* running = nullptr;
    // An item's length is known once the calculator announces it; setup items announce none.
    LiveLink live(*port, *options, [&running](std::string_view) -> std::optional<std::uint64_t> {
        const std::uint32_t length =
            running == nullptr ? 0 : running->engine().announced_item_length();
        if (length == 0 || length >= kLargestItemBytes) {
            return std::nullopt;
        }
        return length;
    });
    link::LinkSession session(live.meter, *port->clock, port->settings, real_file_system(), ui,
                              live.progress);
    running = &session;
    live.watch(session);
    trace_steps(*port, session);
    const link::LinkOutcome outcome = session.receive(choose, folder);
    if (!unknown.empty()) {
        constexpr const char* kUnknown = "no such item on the calculator's list";
        if (options->has("--json")) {
            std::printf(
                "{\"folder\": %s, \"items\": [], \"ok\": false, \"error\": {\"file\": %s, "
                "\"message\": %s, \"code\": -1, \"cancelled\": false}}\n",
                json_quoted(folder.empty() ? "." : folder).c_str(),
                json_quoted(unknown.front()).c_str(), json_quoted(kUnknown).c_str());
        }
        return fail(unknown.front(), kUnknown);
    }
    const bool json = options->has("--json");
    std::string listing;
    for (const link::FileReport& report : session.reports()) {
        const std::string path = folder.empty() ? report.name : folder + "/" + report.name;
        if (json) {
            listing += std::string(listing.empty() ? "" : ",") +
                       "\n  {\"item\": " + json_quoted(report.name) +
                       ", \"path\": " + json_quoted(path) + ", \"outcome\": \"" +
                       outcome_word(report.outcome) + "\"}";
        } else {
            std::printf("%s: %s\n", path.c_str(), outcome_text(report.outcome));
        }
    }
    if (json) {
        std::printf("{\"folder\": %s, \"items\": [%s], %s}\n",
                    json_quoted(folder.empty() ? "." : folder).c_str(), listing.c_str(),
                    json_outcome(outcome, *port).c_str());
    }
    if (!outcome.ok) {
        return link_failure(outcome, *port);
    }
    return kExitOk;
}

const RegisterCommand reg(
    {"recv",
     "recv (ITEM... | --all) [-C DIR] [--overwrite] [--quiet] [--json] (--sim "
     "[--items DIR] [--fault FAULT]... | "
     "--port DEVICE) [--trace FILE]",
     "receive items from the calculator (names as list shows them)", &run});

}  // namespace
}  // namespace travex::cli
