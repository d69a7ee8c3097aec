// travex-cli firmware: checks a firmware image the way the Repro dialog does (check), and sends
// it to the calculator (send), to the in-process simulated calculator or a serial device.
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/link_port.h"
#include "cli/options.h"
#include "link/virtual_port.h"
#include "repro/firmware_image.h"
#include "repro/firmware_transfer.h"
#include "repro/repro_settings.h"
#include "settings/ini_profile_store.h"
#include "sim/sim_firmware.h"

namespace travex::cli {
namespace {

using namespace travex::repro;

constexpr const char* kCommand = "firmware";

const char* stage_text(TransferStage stage) {
    switch (stage) {
        case TransferStage::opening:
            return "opening the port";
        case TransferStage::direct_attempt:
            return "header at 19200 baud (calculator already in update mode?)";
        case TransferStage::version_check:
            return "asking the calculator for its version at 38400 baud";
        case TransferStage::update_mode:
            return "calculator switched to update mode";
        case TransferStage::header:
            return "sending the header";
        case TransferStage::pages:
            return "sending pages";
        case TransferStage::end_marker:
            return "sending the end marker";
        case TransferStage::goodbye:
            return "saying goodbye";
        case TransferStage::closing:
            return "closing the port";
        case TransferStage::finished:
            break;
    }
    return "";
}

// The stages and pages as they pass; --quiet leaves them out.
class ConsoleProgress final : public TransferObserver {
public:
    explicit ConsoleProgress(bool quiet) : quiet_(quiet) {}
    void on_stage(TransferStage stage) override {
        if (quiet_) {
            return;
        }
        std::printf("%s\n", stage_text(stage));
        std::fflush(stdout);
    }
    void on_page_written(const PlannedPage& page, std::size_t index, std::size_t total) override {
        if (quiet_) {
            return;
        }
        std::printf("page %zu/%zu at 0x%06X (%u bytes) OK\n", index + 1, total, page.address,
                    page.length);
        std::fflush(stdout);
    }
    void on_calculator_version(std::array<char, 3> v) override {
        std::printf("calculator firmware version %c%c%c\n", v[0], v[1], v[2]);
    }

private:
    bool quiet_;
};

// The settings of --settings INI (read, written back whole, as the dialog does), or the
// defaults.
std::optional<ReproSettings> settings_of(const ParsedOptions& options) {
    const auto ini = options.value("--settings");
    if (!ini) {
        return ReproSettings{};
    }
    IniProfileStore store(real_file_system(), *ini);
    const LoadedReproSettings loaded = load_repro_settings(store);
    if (!loaded.written) {
        std::fprintf(stderr, "travex-cli: %s: cannot be written\n", ini->c_str());
    }
    if (loaded.outcome != LoadOutcome::ok) {
        fail(*ini, kInitErrorText);
        return std::nullopt;
    }
    return loaded.settings;
}

// Every check before the port: the settings, then the image. Reports the failure.
std::optional<CheckedImage> checked_image(const std::string& path, const ReproSettings& settings) {
    if (const auto problem = settings_problem(settings)) {
        fail("", console_text(problem->text));
        return std::nullopt;
    }
    ImageCheck check = check_firmware_image(real_file_system(), path, flash_layout(settings));
    if (!check.image) {
        fail(path, console_text(check.failure.text));
        return std::nullopt;
    }
    return std::move(check.image);
}

std::string version_text(const FirmwareVersion& v) {
    return std::string(v.begin(), v.end());
}

int run_check(const ParsedOptions& options) {
    if (options.positional.size() != 2) {
        return usage_error(kCommand, "give one IMAGE");
    }
    const auto settings = settings_of(options);
    if (!settings) {
        return kExitFailure;
    }
    const std::string& path = options.positional[1];
    const auto image = checked_image(path, *settings);
    if (!image) {
        return kExitFailure;
    }
    std::printf("%s: version %s ok\n", path.c_str(), version_text(image->version).c_str());
    return kExitOk;
}

bool confirmed(const ParsedOptions& options) {
    if (options.has("--yes")) {
        return true;
    }
    std::fprintf(stderr, "%s Continue? [y/N] ", std::string(kConfirmText).c_str());
    char answer[16] = {};
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
        return false;
    }
    return answer[0] == 'y' || answer[0] == 'Y';
}

// The in-process simulated calculator, on a virtual line that runs at the port's speed.
struct SimRig {
    VirtualClock clock;
    sim::SimFirmware calculator;
    VirtualPort port;
    SimRig() : port(clock, &calculator, follows_baud()) {
        calculator.set_line_speed_source([this] { return port.delivery_baud(); });
    }
    static VirtualPortTiming follows_baud() {
        VirtualPortTiming timing;
        timing.rate_follows_baud = true;
        return timing;
    }
};

std::optional<std::array<char, 3>> version_option(const std::string& text) {
    if (text.size() != 3) {
        return std::nullopt;
    }
    return std::array<char, 3>{text[0], text[1], text[2]};
}

int run_send(const ParsedOptions& options) {
    if (options.positional.size() != 2) {
        return usage_error(kCommand, "give one IMAGE");
    }
    if (options.has("--sim") == options.value("--port").has_value()) {
        return usage_error(kCommand, "give --sim or --port DEVICE");
    }
    std::string error;
    std::unique_ptr<SimRig> rig;
    std::unique_ptr<CliPort> device;
    if (options.has("--sim")) {
        rig = std::make_unique<SimRig>();
        if (const auto v = options.value("--firmware-version")) {
            const auto version = version_option(*v);
            if (!version) {
                return usage_error(kCommand, "--firmware-version takes three characters");
            }
            rig->calculator.set_version(*version);
        }
        for (const std::string& text : options.all("--fault")) {
            const auto fault = sim::parse_firmware_fault(text, error);
            if (!fault) {
                return usage_error(kCommand,
                                   "--fault " + text + ": " +
                                       (error.empty() ? "no fault of the firmware update "
                                                        "(no-header, page-ng:N, silent-after:N, "
                                                        "update-mode)"
                                                      : error));
            }
            rig->calculator.add_fault(*fault);
        }
    } else {
        if (options.value("--firmware-version") || options.value("--flash-out") ||
            !options.all("--fault").empty()) {
            return usage_error(kCommand, "--firmware-version, --flash-out and --fault need --sim");
        }
        device = make_cli_port(options, error);
        if (!device) {
            return fail(options.value("--port").value_or(""), error);
        }
    }
    const auto settings = settings_of(options);
    if (!settings) {
        return kExitFailure;
    }
    const std::string& path = options.positional[1];
    const auto image = checked_image(path, *settings);
    if (!image) {
        return kExitFailure;
    }
    std::printf("%s: version %s ok\n", path.c_str(), version_text(image->version).c_str());
    if (!confirmed(options)) {
        return fail("", "cancelled; nothing was sent");
    }
    ConsoleProgress progress(options.has("--quiet"));
    SerialPort& port = rig ? static_cast<SerialPort&>(rig->port) : *device->port;
    Clock& clock = rig ? static_cast<Clock&>(rig->clock) : *device->clock;
    const int port_number = rig ? 1 : device->settings.port_number;
    const std::uint64_t start = clock.now_ms();
    FirmwareTransfer transfer(port, clock, *settings, *image, port_number, &progress);
    const TransferReport report = transfer.run();
    const std::uint64_t took = clock.now_ms() - start;
    std::printf("%zu pages written in %llu.%03llu s%s\n", report.pages_written,
                static_cast<unsigned long long>(took / 1000),
                static_cast<unsigned long long>(took % 1000), rig ? " (simulated time)" : "");
    if (rig) {
        if (const auto out = options.value("--flash-out")) {
            if (!rig->calculator.save_flash(real_file_system(), *out)) {
                return fail(*out, "cannot be written");
            }
        }
    }
    const ReproMessage message = result_message(report.result);
    if (report.result != TransferResult::finished) {
        return fail("", console_text(message.text));
    }
    std::printf("%s\n", message.text.c_str());
    return kExitOk;
}

int run(Args args) {
    std::string error;
    const OptionSpec known{
        {"--sim", "--yes", "--quiet"},
        {"--settings", "--port", "--fault", "--firmware-version", "--flash-out"}};
    const auto options = parse_options(args, known, error);
    if (!options) {
        return usage_error(kCommand, error);
    }
    if (options->positional.empty()) {
        return usage_error(kCommand, "give check or send");
    }
    const std::string& action = options->positional.front();
    if (action == "check") {
        if (options->has("--sim") || options->has("--yes") || options->value("--port")) {
            return usage_error(kCommand, "check takes only IMAGE and --settings");
        }
        return run_check(*options);
    }
    if (action == "send") {
        return run_send(*options);
    }
    return usage_error(kCommand, "unknown action " + action + " (check or send)");
}

const RegisterCommand reg(
    {kCommand,
     "firmware check IMAGE [--settings INI] | firmware send IMAGE (--sim [--fault F]... "
     "[--firmware-version VVV] [--flash-out FILE] | --port DEVICE) [--settings INI] [--yes] "
     "[--quiet]",
     "check a firmware image, or send it to the calculator", &run});

}  // namespace
}  // namespace travex::cli
