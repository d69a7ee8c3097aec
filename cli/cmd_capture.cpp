// travex-cli capture: the calculator's screen as a bitmap, a PNG picture or the raw 1056 bytes
// of display data.
#include <cctype>
#include <cstdio>

#include "cli/link_command_support.h"
#include "cli/media_text.h"
#include "cli/output.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"

namespace travex::cli {
namespace {

bool ends_with(const std::string& text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[text.size() - tail.size() + i]);
        if (std::tolower(c) != tail[i]) {
            return false;
        }
    }
    return true;
}

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
    const bool bmp = ends_with(*out, ".bmp");
    const bool png = ends_with(*out, ".png");
    if (!bmp && !png && !ends_with(*out, ".bin")) {
        return usage_error("capture", "SHOT must end in .bmp, .png or .bin (raw display data)");
    }
    const auto port = make_cli_port(*options, error);
    if (!port) {
        return usage_error("capture", error);
    }
    ConsoleUi ui(false);
    link::CountingProgress progress;
    link::LinkSession session(*port->port, *port->clock, port->settings, real_file_system(), ui,
                              progress);
    Bytes screen;
    const link::LinkOutcome outcome = session.capture(screen);
    if (!outcome.ok) {
        return link_failure(outcome);
    }
    if (!bmp && !png) {
        return write_output(*out, screen);
    }
    const image::ScreenImage picture =
        image::frame_screen(image::screen_from_capture(screen, image::kWideWidth));
    if (png) {
        return write_output(*out,
                            image::png_black_and_white(picture.framed_width(), image::kFramedHeight,
                                                       image::dark_pixels(picture)));
    }
    if (const int message = image::save_bitmap_file(real_file_system(), *out, picture);
        message != kMsgNone) {
        return fail(*out, message_text(message));
    }
    return kExitOk;
}

const RegisterCommand reg({"capture",
                           "capture -o SHOT.bmp|SHOT.png|SHOT.bin (--sim [--fault FAULT]... | "
                           "--port DEVICE)",
                           "capture the calculator's screen as a bitmap, a PNG or raw display data",
                           &run});

}  // namespace
}  // namespace travex::cli
