#pragma once
// What the link commands share: answers to the transfer questions on a console, a session on
// the chosen port, and the report lines.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/console_progress.h"
#include "cli/interrupt.h"
#include "cli/link_port.h"
#include "cli/media_text.h"
#include "link/link_session.h"
#include "link/send_checks.h"

namespace travex::cli {

// Skips every refused file with a note on the console; overwrites existing files only with
// --overwrite.
class ConsoleQuestions final : public FileQuestions {
public:
    explicit ConsoleQuestions(bool overwrite) : overwrite_(overwrite) {}
    SkipAnswer ask_skip(MessageId message, std::string_view path) override {
        std::fprintf(stderr, "travex-cli: %.*s: %s (skipped)\n", static_cast<int>(path.size()),
                     path.data(), console_text(message_text(message)).c_str());
        return SkipAnswer::skip;
    }
    OverwriteAnswer ask_overwrite(std::string_view) override {
        return overwrite_ ? OverwriteAnswer::overwrite_all : OverwriteAnswer::skip;
    }
    // The session stops with the message in its outcome, which link_failure prints.
    void report(MessageId) override {}

private:
    bool overwrite_;
};

// The live progress of a link command and its Ctrl+C: the session runs on meter, reports to
// progress, and watch() hands the progress the session's engine for the cancel.
struct LiveLink {
    LiveLink(CliPort& port, const ParsedOptions& options, ConsoleProgress::TotalOf total_of)
        : meter(*port.port),
          progress(progress_style(options.has("--quiet")), *port.clock, meter,
                   std::move(total_of)) {}
    void watch(link::LinkSession& session, bool rewrite_on_cancel = false) {
        progress.watch(session.engine(), rewrite_on_cancel);
    }

    InterruptCatcher interrupts;
    MeteredPort meter;
    ConsoleProgress progress;
};

// Names the engine's running step on every trace line, when there is a trace.
inline void trace_steps(CliPort& port, link::LinkSession& session) {
    if (port.trace != nullptr) {
        port.trace->set_step_source(
            [&session] { return link::engine_step_name(session.engine()); });
    }
}

// How one file or item fared: the words of a report line and of the --json reports.
struct OutcomeWords {
    const char* text;  // report line
    const char* word;  // --json
};
inline OutcomeWords outcome_words(link::FileOutcome outcome) {
    switch (outcome) {
        case link::FileOutcome::sent:
            return {"sent", "sent"};
        case link::FileOutcome::skipped:
            return {"skipped", "skipped"};
        case link::FileOutcome::received:
            return {"received", "received"};
        case link::FileOutcome::kept:
            return {"exists, kept (use --overwrite)", "kept"};
        case link::FileOutcome::failed:
            return {"failed", "failed"};
        case link::FileOutcome::pending:
            break;
    }
    return {"not transferred", "not_transferred"};
}
inline const char* outcome_text(link::FileOutcome outcome) {
    return outcome_words(outcome).text;
}
inline const char* outcome_word(link::FileOutcome outcome) {
    return outcome_words(outcome).word;
}

// The failure of a link operation on one line that names what it concerns: the file (a
// received item that could not be stored) or else the port.
struct LinkProblem {
    std::string file;     // the file or the port it concerns
    std::string problem;  // what went wrong, on one line
};
inline LinkProblem link_problem(const link::LinkOutcome& outcome, const CliPort& port) {
    if (interrupt_requested()) {
        return {port.name, "stopped by Ctrl+C; the calculator was told to cancel"};
    }
    return {outcome.path.empty() ? port.name : outcome.path,
            outcome.message == MessageId::none
                ? "the transfer was stopped"
                : console_text(std::string(full_message_text(outcome.message)))};
}

inline int link_failure(const link::LinkOutcome& outcome, const CliPort& port) {
    const LinkProblem problem = link_problem(outcome, port);
    fail(problem.file, problem.problem);
    return interrupt_requested() ? kExitInterrupted : kExitFailure;
}

// The "ok" and "error" members of a link command's --json report: "error" is null, or names the
// file (or port) and the problem, with the link error code (-1 when the link did not fail) and
// whether Ctrl+C stopped the operation.
inline std::string json_outcome(const link::LinkOutcome& outcome, const CliPort& port) {
    if (outcome.ok) {
        return "\"ok\": true, \"error\": null";
    }
    const LinkProblem problem = link_problem(outcome, port);
    return "\"ok\": false, \"error\": {\"file\": " + json_quoted(problem.file) +
           ", \"message\": " + json_quoted(problem.problem) +
           ", \"code\": " + std::to_string(outcome.code) +
           ", \"cancelled\": " + (interrupt_requested() ? "true" : "false") + "}";
}

}  // namespace travex::cli
