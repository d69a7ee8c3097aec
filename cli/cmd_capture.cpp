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
    const auto options = parse_options(args, link_option_spec({}, {"-o"}), error);
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
    const auto port = make_cli_port(*options, error);
    if (!port) {
        return usage_error("capture", error);
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
    if (!outcome.ok) {
        return link_failure(outcome, *port);
    }
    if (!bmp && !png) {
        return write_output(*out, screen);
    }
    const image::ScreenImage picture =
        image::frame_screen(image::screen_from_capture(screen, image::kWideWidth));
    return write_picture(*out, picture);
}

const RegisterCommand reg(
    {"capture",
     "capture -o SHOT.bmp|SHOT.png|SHOT.bin [--quiet] (--sim [--fault FAULT]... | "
     "--port DEVICE) [--trace FILE]",
     "capture the calculator's screen as a bitmap, a PNG or raw display data", &run});

}  // namespace
}  // namespace travex::cli
