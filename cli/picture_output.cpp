#include "cli/picture_output.h"

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/output.h"
#include "files/file_messages.h"
#include "image/png_writer.h"
#include "image/screen_bitmap.h"

namespace travex::cli {

bool ends_with_ignoring_case(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    for (std::size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != tail[i]) {
            return false;
        }
    }
    return true;
}

int write_picture(const std::string& out, const image::ScreenImage& picture) {
    if (ends_with_ignoring_case(out, ".png")) {
        return write_output(out,
                            image::png_black_and_white(picture.framed_width(), image::kFramedHeight,
                                                       image::dark_pixels(picture)));
    }
    if (const MessageId message = image::save_bitmap_file(real_file_system(), out, picture);
        message != MessageId::none) {
        return fail(out, message_text(message));
    }
    return kExitOk;
}

}  // namespace travex::cli
