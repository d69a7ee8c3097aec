// travex-cli sim: serves the simulated calculator on a new pseudo-terminal until interrupted.
#include <cstdio>

#include "cli/command.h"
#include "cli/options.h"
#include "sim/byte_peer.h"
#include "sim/pty_server.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const OptionSpec spec{{"--echo"}, {"--link", "--items", "--fault"}};
    const auto options = parse_options(args, spec, error);
    if (!options) {
        return usage_error("sim", error);
    }
    if (!options->positional.empty()) {
        return usage_error("sim", "unexpected argument " + options->positional.front());
    }
    if (!options->has("--echo")) {
        return fail("", "sim: the simulated calculator is not built in; use --echo");
    }
    auto server = sim::open_pty_server(options->value("--link").value_or(""), error);
    if (!server) {
        return fail(options->value("--link").value_or(""), error);
    }
    std::printf("%s\n", server->device_path().c_str());
    std::fflush(stdout);
    sim::EchoPeer echo;
    if (sim::serve_until_stopped(*server, echo) != 0) {
        return fail(server->terminal_path(), "the pseudo-terminal failed");
    }
    return kExitOk;
}

const RegisterCommand reg({"sim", "sim [--link PATH] [--items DIR] [--fault SPEC]... [--echo]",
                           "serve the simulated calculator on a new pseudo-terminal", &run});

}  // namespace
}  // namespace travex::cli
