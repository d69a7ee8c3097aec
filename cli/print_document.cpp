#include "cli/print_document.h"

#include "base/file_system.h"
#include "base/input_caps.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/output.h"
#include "cli/slide_show_input.h"
#include "codec/token_tables.h"
#include "files/file_kind.h"
#include "files/text_file.h"
#include "image/screen_bitmap.h"
#include "image/screen_data.h"

namespace travex::cli {
namespace {

print::PrintLayout picture_job(const std::string& path, const image::ScreenImage& picture,
                               std::string variable_name, int zoom_index) {
    return print::picture_layout(path, picture.pixels, picture.framed_width(), image::kFramedHeight,
                                 zoom_index, std::move(variable_name));
}

std::optional<print::PrintLayout> text_job(const std::string& path) {
    const OpenTextResult result = open_as_text(real_file_system(), path);
    if (!result.ok()) {
        fail(path, message_text(result.message));
        return std::nullopt;
    }
    return print::program_layout({path, result.opened.title, result.opened.text});
}

std::optional<print::PrintLayout> slide_show_job(const std::string& path) {
    const auto show = read_slide_show_input(path);
    if (!show) {
        return std::nullopt;
    }
    std::vector<print::SlidePicture> slides;
    int number = 0;
    for (const slides::Page& page : show->pages) {
        slides.push_back({++number, image::kWideWidth, image::kScreenHeight,
                          image::unframed_pixels(page.decoded.screen_data())});
    }
    return print::slides_layout(path, show->title_text(), std::move(slides), image::kWideWidth);
}

std::optional<print::PrintLayout> picture_file_job(const std::string& path, FileKind kind,
                                                   int zoom_index) {
    const auto bytes = read_input(path, kMaxPictureFileBytes);
    if (!bytes) {
        return std::nullopt;
    }
    if (kind == FileKind::bitmap) {
        const image::BitmapRead read = image::read_bitmap_file(*bytes);
        if (read.message != MessageId::none) {
            fail(path, message_text(read.message));
            return std::nullopt;
        }
        return picture_job(path, read.image, "", zoom_index);
    }
    const image::PictureFile picture =
        image::read_picture_file(*bytes, image::extension_digit(path));
    if (picture.message != MessageId::none) {
        fail(path, message_text(picture.message));
        return std::nullopt;
    }
    const auto code =
        static_cast<std::uint16_t>(picture.variable_code[1] << 8 | picture.variable_code[0]);
    return picture_job(path, image::frame_screen(picture.screen), std::string(variable_name(code)),
                       zoom_index);
}

}  // namespace

std::optional<print::PrintLayout> load_print_job(const std::string& path, int zoom_index) {
    const FileKind kind = file_kind_of(path);
    switch (kind) {
        case FileKind::program:
        case FileKind::list:
        case FileKind::list_database:
        case FileKind::matrix:
        case FileKind::table_setup:
        case FileKind::window_setup:
        case FileKind::data_variable:
        case FileKind::zoom:
        case FileKind::text:
            return text_job(path);
        case FileKind::slide_show:
            return slide_show_job(path);
        case FileKind::picture:
        case FileKind::bitmap:
            return picture_file_job(path, kind, zoom_index);
        case FileKind::none:
        case FileKind::screen_image:
            break;
    }
    fail(path,
         "does not print: expected a program, data, text, picture, bitmap or slide show file");
    return std::nullopt;
}

}  // namespace travex::cli
