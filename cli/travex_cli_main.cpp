// travex-cli: the command-line front end of the TRAVEX core.
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "cli/binary_stdio.h"
#include "cli/command.h"

namespace {

void print_usage(std::FILE* to) {
    std::fprintf(to,
                 "TRAVEX command line: calculator files, programs and the calculator link.\n\n");
    std::fprintf(to, "usage: travex-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& command : travex::cli::commands()) {
        std::fprintf(to, "  %-44.*s %.*s\n", static_cast<int>(command.synopsis.size()),
                     command.synopsis.data(), static_cast<int>(command.summary.size()),
                     command.summary.data());
    }
    std::fprintf(to,
                 "\nLink commands also take --timer MS (the link timer's period, default 100) and"
                 " --out-buffer N (bytes written per tick, default 30).\n");
    std::fprintf(to,
                 "\nThe link commands send, recv, capture and probe show their progress on"
                 " standard error: a line that\nupdates itself on a terminal, one line per item"
                 " otherwise, none with --quiet. Ctrl+C stops the\noperation as the Cancel"
                 " button does; a second Ctrl+C ends at once.\n"
                 "firmware send shows its stages and pages the same way. Ctrl+C stops it only"
                 " before the calculator is\nswitched to update mode (exit status 130, the"
                 " calculator stays in its normal mode); after that\nthe update has no cancel:"
                 " the first Ctrl+C says so and the update goes on, a second one ends at\nonce"
                 " and leaves the calculator in update mode with its firmware partly written.\n");
    std::fprintf(
        to,
        "\n--json (info, list, send, recv, capture, probe, ungroup, slides, export, firmware send)"
        " writes\none JSON document to standard output instead of the report; the schemas are in"
        " docs/cli-json.md.\n");
    std::fprintf(to,
                 "\nExit status: 0 success, 1 failure (one line names the file and the problem),"
                 " 2 usage error,\n130 stopped by Ctrl+C (also when a second Ctrl+C ends a command "
                 "at once).\n");
}

int run_command_line(int argc, char** argv) {
    travex::cli::set_binary_stdio();
    if (argc < 2) {
        print_usage(stderr);
        return travex::cli::kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        print_usage(stdout);
        return travex::cli::kExitOk;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& command : travex::cli::commands()) {
        if (command.name == name) {
            return command.run(args);
        }
    }
    std::fprintf(stderr, "travex-cli: unknown command '%s'\n\n", name.c_str());
    print_usage(stderr);
    return travex::cli::kExitUsage;
}

}  // namespace

// No exception leaves the program: whatever a command did not foresee (memory running out
// above all) ends it with one line and the failure status, like every other failure.
int main(int argc, char** argv) {
    try {
        return run_command_line(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "travex-cli: not enough memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "travex-cli: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "travex-cli: unexpected failure\n");
    }
    return travex::cli::kExitFailure;
}
