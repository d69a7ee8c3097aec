#include "cli/slide_show_input.h"

#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/output.h"
#include "image/screen_data.h"

namespace travex::cli {

std::optional<slides::SlideShow> read_slide_show_input(const std::string& path) {
    const auto bytes = read_input(path);
    if (!bytes) {
        return std::nullopt;
    }
    slides::ShowRead read = slides::read_slide_show(*bytes, image::extension_digit(path));
    if (read.message != MessageId::none) {
        std::string problem = message_text(read.message);
        if (!read.problem.empty()) {
            problem += " (" + read.problem + ")";
        }
        fail(path, problem);
        return std::nullopt;
    }
    return std::move(read.show);
}

}  // namespace travex::cli
