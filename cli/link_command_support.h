#pragma once
// What the link commands share: answers to the transfer questions on a console, a session on
// the chosen port, and the report lines.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/link_port.h"
#include "link/transfer_flow.h"

namespace travex::cli {

class ConsoleUi final : public link::TransferUi {
public:
    explicit ConsoleUi(bool overwrite) : overwrite_(overwrite) {}
    link::SkipAnswer ask_skip(std::string_view message, std::string_view path) override {
        std::fprintf(stderr, "travex-cli: %.*s: %s (skipped)\n", static_cast<int>(path.size()),
                     path.data(), console_text(first_line(message)).c_str());
        return link::SkipAnswer::skip;
    }
    link::OverwriteAnswer ask_overwrite(std::string_view) override {
        return overwrite_ ? link::OverwriteAnswer::overwrite_all : link::OverwriteAnswer::skip;
    }

private:
    static std::string_view first_line(std::string_view message) {
        return message.substr(0, message.find('\r'));
    }
    bool overwrite_;
};

// The word a report line gives for how one file or item fared.
inline const char* outcome_text(link::FileOutcome outcome) {
    switch (outcome) {
        case link::FileOutcome::sent:
            return "sent";
        case link::FileOutcome::skipped:
            return "skipped";
        case link::FileOutcome::received:
            return "received";
        case link::FileOutcome::kept:
            return "exists, kept (use --overwrite)";
        case link::FileOutcome::failed:
            return "failed";
        case link::FileOutcome::pending:
            break;
    }
    return "not transferred";
}

// The failure of a link operation on one line that names what it concerns: the file (a
// received item that could not be stored) or else the port.
inline int link_failure(const link::LinkOutcome& outcome, const CliPort& port) {
    return fail(
        outcome.path.empty() ? port.name : outcome.path,
        outcome.message.empty() ? "the transfer was stopped" : console_text(outcome.message));
}

}  // namespace travex::cli
