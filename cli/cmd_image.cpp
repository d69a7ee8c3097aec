// travex-cli image: converts a picture file, a bitmap saved by TRAVEX or a raw screen dump
// into the bitmap file the screen image window saves, or into a PNG of the same picture.
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/picture_output.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"

namespace travex::cli {
namespace {

// The framed picture of an input file, or a message id.
MessageId load_image(const std::string& path, const Bytes& bytes, image::ScreenImage& out) {
    const bool bitmap_signature = bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
    if (bitmap_signature) {
        image::BitmapRead read = image::read_bitmap_file(bytes);
        if (read.message == MessageId::none) {
            out = std::move(read.image);
            return MessageId::none;
        }
    }
    if (const auto dump = image::screen_from_dump(bytes)) {
        out = image::frame_screen(*dump);
        return MessageId::none;
    }
    if (bitmap_signature) {
        return MessageId::no_bitmap_data;
    }
    const image::PictureFile picture =
        image::read_picture_file(bytes, image::extension_digit(path));
    if (picture.message != MessageId::none) {
        return picture.message;
    }
    out = image::frame_screen(picture.screen);
    return MessageId::none;
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, OptionSpec{{}, {"-o"}}, error);
    if (!options) {
        return usage_error("image", error);
    }
    const auto out = options->value("-o");
    if (options->positional.size() != 1 || !out) {
        return usage_error("image", "give one input file and -o OUT");
    }
    const bool png = ends_with_ignoring_case(*out, ".png");
    if (!png && !ends_with_ignoring_case(*out, ".bmp")) {
        return usage_error("image", "OUT must end in .bmp or .png");
    }
    const std::string& in = options->positional[0];
    const auto bytes = read_input(in);
    if (!bytes) {
        return kExitFailure;
    }
    image::ScreenImage picture;
    if (const MessageId message = load_image(in, *bytes, picture); message != MessageId::none) {
        return fail(in, message_text(message) +
                            " (expected a picture file, a bitmap saved by TRAVEX or a 1056-byte"
                            " screen dump)");
    }
    return write_picture(*out, picture);
}

const RegisterCommand reg({"image", "image IN -o OUT.bmp|OUT.png",
                           "picture file, TRAVEX bitmap or screen dump to a bitmap or PNG", &run});

}  // namespace
}  // namespace travex::cli
