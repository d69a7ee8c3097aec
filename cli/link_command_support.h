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

inline int link_failure(const link::LinkOutcome& outcome) {
    return fail(
        "", outcome.message.empty() ? "the transfer was stopped" : console_text(outcome.message));
}

}  // namespace travex::cli
