// travex-cli sim: serves the simulated calculator on a new pseudo-terminal until interrupted.
#include <cstdio>
#include <filesystem>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/options.h"
#include "sim/byte_peer.h"
#include "sim/pty_server.h"
#include "sim/sim_calculator.h"
#include "sim/sim_firmware.h"

namespace travex::cli {
namespace {

// The simulated calculator as a byte stream: its answers go out as soon as it gives them.
class CalculatorPeer final : public sim::BytePeer {
public:
    explicit CalculatorPeer(PortPeer& calculator) : calculator_(calculator) {}
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
    PortPeer& calculator_;
    Bytes pending_;
};

int run(Args args) {
    std::string error;
    const OptionSpec known{{"--echo", "--line-speed"},
                           {"--link", "--items", "--fault", "--firmware-version", "--flash-out"}};
    const auto options = parse_options(args, known, error);
    if (!options) {
        return usage_error("sim", error);
    }
    if (!options->positional.empty()) {
        return usage_error("sim", "unexpected argument " + options->positional.front());
    }
    sim::SimCalculator calculator;
    // The update side answers the firmware update's commands and passes the rest on.
    sim::SimFirmware firmware;
    firmware.set_link_peer(&calculator, [&calculator] { return calculator.idle(); });
    if (const auto version = options->value("--firmware-version")) {
        if (version->size() != 3) {
            return usage_error("sim", "--firmware-version takes three characters");
        }
        firmware.set_version({(*version)[0], (*version)[1], (*version)[2]});
    }
    const std::string flash_out = options->value("--flash-out").value_or("");
    if (!flash_out.empty()) {
        firmware.set_on_update_complete([&firmware, &flash_out] {
            if (!firmware.save_flash(real_file_system(), flash_out)) {
                std::fprintf(stderr, "travex-cli sim: %s: cannot be written\n", flash_out.c_str());
            }
        });
    }
    for (const std::string& spec_text : options->all("--fault")) {
        if (sim::is_firmware_fault_name(spec_text)) {
            const auto fault = sim::parse_firmware_fault(spec_text, error);
            if (!fault) {
                return usage_error("sim", "--fault " + spec_text + ": " + error);
            }
            firmware.add_fault(*fault);
            continue;
        }
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
    if (options->has("--line-speed")) {
        firmware.set_line_speed_source([&server] { return server->line_baud(); });
    }
    sim::EchoPeer echo;
    CalculatorPeer peer(firmware);
    sim::BytePeer& served = options->has("--echo") ? static_cast<sim::BytePeer&>(echo) : peer;
    const int served_status = sim::serve_until_stopped(*server, served);
    if (!flash_out.empty() && firmware.stats().pages_written > 0 &&
        !firmware.save_flash(real_file_system(), flash_out)) {
        return fail(flash_out, "cannot be written");
    }
    if (served_status != 0) {
        return fail(server->terminal_path(), "the pseudo-terminal failed");
    }
    return kExitOk;
}

const RegisterCommand reg(
    {"sim",
     "sim [--link PATH] [--items DIR] [--fault FAULT]... [--firmware-version VVV] "
     "[--flash-out FILE] [--line-speed]",
     "serve the simulated calculator (--echo: an echo) on a new terminal; --flash-out saves its "
     "flash after each firmware update, --line-speed ignores bytes sent at the wrong speed",
     &run});

}  // namespace
}  // namespace travex::cli
