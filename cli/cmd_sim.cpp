// travex-cli sim: serves the simulated calculator on a new pseudo-terminal until interrupted.
#include <cstdio>
#include <filesystem>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/options.h"
#include "sim/byte_peer.h"
#include "sim/pty_server.h"
#include "sim/sim_calculator.h"

namespace travex::cli {
namespace {

// The simulated calculator as a byte stream: its answers go out as soon as it gives them.
class CalculatorPeer final : public sim::BytePeer {
public:
    explicit CalculatorPeer(sim::SimCalculator& calculator) : calculator_(calculator) {}
    void receive(std::span<const std::uint8_t> bytes, std::uint64_t) override {
        const Bytes answer = calculator_.on_receive(bytes);
        pending_.insert(pending_.end(), answer.begin(), answer.end());
    }
    Bytes take_output(std::uint64_t) override {
        Bytes out;
        out.swap(pending_);
        return out;
    }

private:
    sim::SimCalculator& calculator_;
    Bytes pending_;
};

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
    sim::SimCalculator calculator;
    for (const std::string& spec_text : options->all("--fault")) {
        const auto fault = sim::parse_fault(spec_text, error);
        if (!fault) {
            return usage_error("sim", "--fault " + spec_text + ": " + error);
        }
        calculator.add_fault(*fault);
    }
    if (const auto items = options->value("--items")) {
        std::error_code ec;
        if (!std::filesystem::is_directory(*items, ec)) {
            return fail(*items, "not a folder");
        }
        const int loaded = calculator.memory().load_folder(*items, real_file_system());
        std::fprintf(stderr, "travex-cli sim: %d items loaded from %s\n", loaded, items->c_str());
    }
    const std::string link_path = options->value("--link").value_or("");
    auto server = sim::open_pty_server(link_path, error);
    if (!server) {
        return fail(link_path, error);
    }
    std::printf("%s\n", server->device_path().c_str());
    std::fflush(stdout);
    sim::EchoPeer echo;
    CalculatorPeer peer(calculator);
    sim::BytePeer& served = options->has("--echo") ? static_cast<sim::BytePeer&>(echo) : peer;
    if (sim::serve_until_stopped(*server, served) != 0) {
        return fail(server->terminal_path(), "the pseudo-terminal failed");
    }
    return kExitOk;
}

const RegisterCommand reg({"sim", "sim [--link PATH] [--items DIR] [--fault SPEC]...",
                           "serve the simulated calculator (--echo: an echo) on a new terminal",
                           &run});

}  // namespace
}  // namespace travex::cli
