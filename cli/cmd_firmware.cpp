// travex-cli firmware: checks a firmware image the way the Repro dialog does (check), and sends
// it to the calculator (send), to the in-process simulated calculator or a serial device.
#include <array>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/console_progress.h"
#include "cli/interrupt.h"
#include "cli/link_port.h"
#include "cli/media_text.h"
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

// What Ctrl+C during an update tells the user.
constexpr const char* kCannotStopText =
    "the firmware update cannot be stopped safely now: the calculator is in update mode, which "
    "has no cancel, so the update goes on. A second Ctrl+C ends at once and leaves the "
    "calculator in update mode with its firmware only partly written; it will not work until a "
    "whole update has gone through.";
constexpr const char* kStoppingText =
    "stopping before the calculator is switched to update mode (a second Ctrl+C ends at once)";
constexpr const char* kStoppedText =
    "stopped by Ctrl+C; the calculator was not switched to update mode and stays in its normal "
    "mode";

// The update's progress on standard error: a line per stage, and the pages as the link
// commands show their items (a live line on a terminal, a line per page elsewhere); nothing
// with --quiet. Ctrl+C ends the update only while the calculator is still in its normal mode;
// once it waits in update mode there is no way back, so the first press says so and the
// update goes on, and a second one ends the program at once (InterruptCatcher).
class UpdateProgress final : public TransferObserver {
public:
    UpdateProgress(ProgressStyle style, Clock& clock, MeteredPort& meter,
                   const std::vector<PlannedPage>& pages)
        : style_(style),
          meter_(meter),
          pages_(pages),
          lines_(style, clock, meter, [this](std::string_view item) { return page_bytes(item); }) {
        meter.set_on_activity([this] { poll(); });
    }
    ~UpdateProgress() override { meter_.set_on_activity(nullptr); }
    UpdateProgress(const UpdateProgress&) = delete;
    UpdateProgress& operator=(const UpdateProgress&) = delete;

    void on_stage(TransferStage stage) override {
        if (stage == TransferStage::update_mode || stage == TransferStage::pages) {
            committed_ = true;
        }
        if (lines_.is_open()) {
            lines_.advance(-1, "");  // the pages ended early
        }
        if (stage == TransferStage::pages && !pages_.empty()) {
            lines_.show(TextId::none, static_cast<int>(pages_.size()), false);
            lines_.advance(0, page_name(0));
        } else if (stage != TransferStage::finished && style_ != ProgressStyle::none) {
            lines_.note(stage_text(stage));
        }
        poll();
    }
    void on_page_written(const PlannedPage&, std::size_t index, std::size_t) override {
        lines_.advance(1, index + 1 < pages_.size() ? page_name(index + 1) : "");
    }
    bool stop_requested() override { return interrupt_requested(); }

private:
    void poll() {
        if (interrupt_requested() && committed_ && !told_cannot_stop_) {
            // Also when the press came while a stop was still safe but the calculator took a
            // header before the transfer reached a point where it could stop.
            told_cannot_stop_ = told_stopping_ = true;
            lines_.note(std::string("travex-cli: ") + kCannotStopText);
        } else if (interrupt_requested() && !told_stopping_) {
            told_stopping_ = true;
            lines_.note(std::string("travex-cli: ") + kStoppingText);
        }
        lines_.flash();
    }
    std::string page_name(std::size_t index) const {
        char name[80];  // room for two 20-digit counts and an 8-digit address
        std::snprintf(name, sizeof name, "page %zu/%zu at 0x%06X", index + 1, pages_.size(),
                      pages_[index].address);
        return name;
    }
    // A page takes its packet (address, length, data, sum) and the two bytes of "OK".
    std::optional<std::uint64_t> page_bytes(std::string_view item) const {
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            if (item == page_name(i)) {
                return pages_[i].length + 10;
            }
        }
        return std::nullopt;
    }

    ProgressStyle style_;
    MeteredPort& meter_;
    const std::vector<PlannedPage>& pages_;
    ConsoleProgress lines_;
    bool committed_ = false;  // the calculator was switched to update mode, or took a header
    bool told_stopping_ = false;
    bool told_cannot_stop_ = false;
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

// The "result" word of the --json report.
const char* result_word(TransferResult result) {
    switch (result) {
        case TransferResult::finished:
            return "finished";
        case TransferResult::not_newer:
            return "not_newer";
        case TransferResult::no_response:
            break;
    }
    return "no_response";
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
        PortSetupError port_error;
        device = make_cli_port(options, port_error);
        if (!device) {
            return port_setup_failed(kCommand, port_error);
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
    const bool json = options.has("--json");
    if (!json) {
        std::printf("%s: version %s ok\n", path.c_str(), version_text(image->version).c_str());
    }
    if (!confirmed(options)) {
        return fail("", "cancelled; nothing was sent");
    }
    SerialPort& port = rig ? static_cast<SerialPort&>(rig->port) : *device->port;
    Clock& clock = rig ? static_cast<Clock&>(rig->clock) : *device->clock;
    const int port_number = rig ? 1 : device->settings.port_number;
    const std::string port_name = rig ? "simulated calculator" : device->name;
    const std::vector<PlannedPage> pages = plan_pages(flash_layout(*settings), image->bytes);
    InterruptCatcher interrupts;
    MeteredPort meter(port);
    UpdateProgress progress(progress_style(options.has("--quiet")), clock, meter, pages);
    const std::uint64_t start = clock.now_ms();
    FirmwareTransfer transfer(meter, clock, *settings, *image, port_number, &progress);
    const TransferReport report = transfer.run();
    const std::uint64_t took = clock.now_ms() - start;
    if (rig) {
        if (const auto out = options.value("--flash-out")) {
            if (!rig->calculator.save_flash(real_file_system(), *out)) {
                return fail(*out, "cannot be written");
            }
        }
    }
    const std::string message =
        report.stopped ? kStoppedText : console_text(result_message(report.result).text);
    const bool ok = report.result == TransferResult::finished;
    if (json) {
        const auto version = report.calculator_version;
        const std::string error =
            ok ? "null"
               : "{\"file\": " + json_quoted(port_name) + ", \"message\": " + json_quoted(message) +
                     ", \"cancelled\": " + (report.stopped ? "true" : "false") + "}";
        const std::string document =
            "{\"image\": " + json_quoted(path) +
            ", \"version\": " + json_quoted(version_text(image->version)) +
            ", \"calculator_version\": " +
            (version ? json_quoted(std::string(version->begin(), version->end())) : "null") +
            ", \"pages_written\": " + std::to_string(report.pages_written) +
            ", \"transfer_ms\": " + std::to_string(took) + ", \"result\": \"" +
            (report.stopped ? "stopped" : result_word(report.result)) +
            "\", \"ok\": " + (ok ? "true" : "false") + ", \"error\": " + error + "}\n";
        std::fputs(document.c_str(), stdout);
    } else {
        if (const auto v = report.calculator_version) {
            std::printf("calculator firmware version %c%c%c\n", (*v)[0], (*v)[1], (*v)[2]);
        }
        std::printf("%zu pages written in %llu.%03llu s%s\n", report.pages_written,
                    static_cast<unsigned long long>(took / 1000),
                    static_cast<unsigned long long>(took % 1000), rig ? " (simulated time)" : "");
        if (ok) {
            std::printf("%s\n", message.c_str());
        }
    }
    if (report.stopped) {
        fail(port_name, message);
        return kExitInterrupted;
    }
    return ok ? kExitOk
              : fail(report.result == TransferResult::no_response ? port_name : path, message);
}

int run(Args args) {
    std::string error;
    const OptionSpec known{
        {"--sim", "--yes", "--quiet", "--json"},
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
        if (options->has("--sim") || options->has("--yes") || options->has("--json") ||
            options->value("--port")) {
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
     "[--quiet] [--json]",
     "check a firmware image, or send it to the calculator", &run});

}  // namespace
}  // namespace travex::cli
