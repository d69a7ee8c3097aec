// travex-cli capture: the calculator's screen as a bitmap, a PNG picture or the raw 1056 bytes
// of display data.
#include <cctype>
#include <cstdio>

#include "cli/link_command_support.h"
#include "cli/media_text.h"
#include "cli/output.h"
#include "cli/picture_output.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, link_option_spec({"--json"}, {"-o"}), error);
    if (!options) {
        return usage_error("capture", error);
    }
    const auto out = options->value("-o");
    if (!out || !options->positional.empty()) {
        return usage_error("capture", "give -o SHOT.bmp");
    }
    const bool bmp = ends_with_ignoring_case(*out, ".bmp");
    const bool png = ends_with_ignoring_case(*out, ".png");
    if (!bmp && !png && !ends_with_ignoring_case(*out, ".bin")) {
        return usage_error("capture", "SHOT must end in .bmp, .png or .bin (raw display data)");
    }
    PortSetupError port_error;
    const auto port = make_cli_port(*options, port_error);
    if (!port) {
        return port_setup_failed("capture", port_error);
    }
    ConsoleQuestions ui(false);
    LiveLink live(*port, *options, [](std::string_view) {
        return std::optional<std::uint64_t>(image::kWideScreenBytes);
    });
    link::LinkSession session(live.meter, *port->clock, port->settings, real_file_system(), ui,
                              live.progress);
    live.watch(session, true);
    trace_steps(*port, session);
    Bytes screen;
    const link::LinkOutcome outcome = session.capture(screen);
    int status = kExitOk;
    if (!outcome.ok) {
        status = link_failure(outcome, *port);
    } else if (!bmp && !png) {
        status = write_output(*out, screen);
    } else {
        const image::ScreenImage picture =
            image::frame_screen(image::screen_from_capture(screen, image::kWideWidth));
        status = write_picture(*out, picture);
    }
    if (options->has("--json")) {
        const bool written = outcome.ok && status == kExitOk;
        std::printf(
            "{\"file\": %s, \"format\": \"%s\", \"screen_bytes\": %zu, \"written\": %s, %s}\n",
            json_quoted(*out).c_str(),
            bmp   ? "bmp"
            : png ? "png"
                  : "bin",
            screen.size(), written ? "true" : "false", json_outcome(outcome, *port).c_str());
    }
    return status;
}

const RegisterCommand reg(
    {"capture",
     "capture -o SHOT.bmp|SHOT.png|SHOT.bin [--quiet] [--json] (--sim [--fault FAULT]... | "
     "--port DEVICE) [--trace FILE]",
     "capture the calculator's screen as a bitmap, a PNG or raw display data", &run});

}  // namespace
}  // namespace travex::cli
