// travex-cli slides: writes every page of a slide show as a framed bitmap page-NNN.bmp (the
// form a screen image window saves and opens), and page-NNN.png with --png. Page files that
// exist already are kept unless --overwrite, as ungroup keeps existing members.
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/slide_show_input.h"
#include "files/group_file.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"
#include "slideshow/slide_show.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options =
        parse_options(args, OptionSpec{{"--png", "--json", "--overwrite"}, {"-o"}}, error);
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
    const bool overwrite = options->has("--overwrite");
    FileSystem& fs = real_file_system();
    std::size_t kept = 0;
    // The --json document is made whole before any of it is written, so that a page that
    // cannot be written ends it with the failure instead of cutting it off.
    std::string document;
    if (json) {
        document = "{\"show\": " + json_quoted(path) +
                   ", \"title\": " + json_quoted(show->title_text()) + ", \"pages\": [";
    } else {
        std::printf("title: \"%s\", %zu pages\n", printable(show->title_text()).c_str(),
                    show->pages.size());
    }
    std::string failed_file;
    std::string problem;
    for (std::size_t i = 0; i < show->pages.size(); ++i) {
        const slides::Page& page = show->pages[i];
        char base[32];
        std::snprintf(base, sizeof base, "page-%03zu", i + 1);
        const image::ScreenImage framed = image::frame_screen(page.decoded.screen_data());
        const std::string bmp = group::target_path(folder, std::string(base) + ".bmp");
        const bool keep_bmp = !overwrite && fs.exists(bmp);
        if (keep_bmp) {
            ++kept;
        } else if (const MessageId message = image::save_bitmap_file(fs, bmp, framed);
                   message != MessageId::none) {
            failed_file = bmp;
            problem = message_text(message);
            break;
        }
        const std::string png_path = group::target_path(folder, std::string(base) + ".png");
        const bool keep_png = png && !overwrite && fs.exists(png_path);
        if (keep_png) {
            ++kept;
        } else if (png &&
                   write_file_atomic(fs, png_path,
                                     image::png_black_and_white(
                                         framed.framed_width(), image::kFramedHeight,
                                         image::dark_pixels(framed))) != WriteResult::written) {
            failed_file = png_path;
            problem = "cannot write the file";
            break;
        }
        if (json) {
            char entry[160];
            std::snprintf(entry, sizeof entry,
                          "%s\n  {\"number\": %zu, \"offset\": %zu, \"record_length\": %u, "
                          "\"decoded_bytes\": %zu, \"complete\": %s, \"file\": ",
                          i == 0 ? "" : ",", i + 1, page.offset, page.record_length,
                          page.decoded.produced, page.decoded.complete() ? "true" : "false");
            document += entry + json_quoted(bmp) +
                        ", \"kept\": " + (keep_bmp || keep_png ? "true" : "false") + "}";
        } else {
            std::printf("No.%zu: %s", i + 1, printable(bmp).c_str());
            if (keep_bmp || keep_png) {
                std::printf(" (kept: the file exists, --overwrite replaces it)");
            }
            if (!page.decoded.complete()) {
                std::printf(" (the page holds only %zu of 1056 bytes; the rest is blank)",
                            page.decoded.produced);
            }
            std::printf("\n");
        }
    }
    if (json) {
        document += problem.empty()
                        ? "], \"ok\": true, \"error\": null}\n"
                        : "], \"ok\": false, \"error\": {\"file\": " + json_quoted(failed_file) +
                              ", \"message\": " + json_quoted(problem) + "}}\n";
        std::fputs(document.c_str(), stdout);
    } else if (kept > 0 && problem.empty()) {
        std::printf("%zu existing page files kept (--overwrite replaces them)\n", kept);
    }
    return problem.empty() ? kExitOk : fail(failed_file, problem);
}

const RegisterCommand reg({"slides", "slides SHOW [-o DIR] [--png] [--overwrite] [--json]",
                           "write every slide show page as page-NNN.bmp (and .png); existing page "
                           "files are kept unless --overwrite",
                           &run});

}  // namespace
}  // namespace travex::cli
