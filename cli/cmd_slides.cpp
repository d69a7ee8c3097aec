// travex-cli slides: writes every page of a slide show as a framed bitmap page-NNN.bmp (the
// form a screen image window saves and opens), and page-NNN.png with --png.
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/slide_show_input.h"
#include "files/group_file.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"
#include "slideshow/slide_show.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, OptionSpec{{"--png", "--json"}, {"-o"}}, error);
    if (!options) {
        return usage_error("slides", error);
    }
    if (options->positional.size() != 1) {
        return usage_error("slides", "give one slide show file");
    }
    const std::string& path = options->positional[0];
    const std::string folder = options->value("-o").value_or(".");
    const auto show = read_slide_show_input(path);
    if (!show) {
        return kExitFailure;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const bool json = options->has("--json");
    const bool png = options->has("--png");
    if (json) {
        std::printf("{\"show\": %s, \"title\": %s, \"pages\": [", json_quoted(path).c_str(),
                    json_quoted(show->title_text()).c_str());
    } else {
        std::printf("title: \"%s\", %zu pages\n", printable(show->title_text()).c_str(),
                    show->pages.size());
    }
    for (std::size_t i = 0; i < show->pages.size(); ++i) {
        const slides::Page& page = show->pages[i];
        char base[32];
        std::snprintf(base, sizeof base, "page-%03zu", i + 1);
        const image::ScreenImage framed = image::frame_screen(page.decoded.screen_data());
        const std::string bmp = group::target_path(folder, std::string(base) + ".bmp");
        if (const MessageId message = image::save_bitmap_file(real_file_system(), bmp, framed);
            message != MessageId::none) {
            return fail(bmp, message_text(message));
        }
        if (png) {
            const std::string png_path = group::target_path(folder, std::string(base) + ".png");
            const int status = write_output(
                png_path, image::png_black_and_white(framed.framed_width(), image::kFramedHeight,
                                                     image::dark_pixels(framed)));
            if (status != kExitOk) {
                return status;
            }
        }
        if (json) {
            std::printf(
                "%s\n  {\"number\": %zu, \"offset\": %zu, \"record_length\": %u, "
                "\"decoded_bytes\": %zu, \"complete\": %s, \"file\": %s}",
                i == 0 ? "" : ",", i + 1, page.offset, page.record_length, page.decoded.produced,
                page.decoded.complete() ? "true" : "false", json_quoted(bmp).c_str());
        } else {
            std::printf("No.%zu: %s", i + 1, printable(bmp).c_str());
            if (!page.decoded.complete()) {
                std::printf(" (the page holds only %zu of 1056 bytes; the rest is blank)",
                            page.decoded.produced);
            }
            std::printf("\n");
        }
    }
    if (json) {
        std::printf("]}\n");
    }
    return kExitOk;
}

const RegisterCommand reg({"slides", "slides SHOW [-o DIR] [--png] [--json]",
                           "write every slide show page as page-NNN.bmp (and .png)", &run});

}  // namespace
}  // namespace travex::cli
