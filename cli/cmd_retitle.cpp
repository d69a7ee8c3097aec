// travex-cli retitle: saves a copy of a slide show under a new name with a new title, as the
// slide show window's "Save As" does (model digit 6, name field from the new name).
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/slide_show_input.h"
#include "image/screen_data.h"
#include "slideshow/slide_show.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, OptionSpec{{}, {"--title"}}, error);
    if (!options) {
        return usage_error("retitle", error);
    }
    const auto title = options->value("--title");
    if (options->positional.size() != 2 || !title) {
        return usage_error("retitle", "give the slide show, the new file and --title T");
    }
    if (title->size() > slides::kTitleLength) {
        return usage_error("retitle", "the title holds at most 40 characters");
    }
    const std::string& source = options->positional[0];
    const std::string& target = options->positional[1];
    // A damaged slide show is reported as such rather than copied.
    if (!read_slide_show_input(source)) {
        return kExitFailure;
    }
    const slides::SaveOutcome saved = slides::save_copy(real_file_system(), source, target, *title);
    if (!saved.written) {
        return fail(saved.message == MessageId::file_access_failed ? source : target,
                    message_text(saved.message));
    }
    return kExitOk;
}

const RegisterCommand reg({"retitle", "retitle SHOW NEW --title T",
                           "save a copy of a slide show under a new name with a new title", &run});

}  // namespace
}  // namespace travex::cli
