// travex-cli print: the pages TRAVEX prints of a program, data or text file, a picture, a
// bitmap or a slide show, as a PDF with the calculator font embedded.
#include <string>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/print_document.h"

namespace travex::cli {
namespace {

// The zoom list's index of a percentage: 25 -> 0 ... 200 -> 7.
std::optional<int> zoom_index_of(const std::string& percent) {
    for (int index = 0; index < 8; ++index) {
        if (percent == std::to_string((index + 1) * 25)) {
            return index;
        }
    }
    return std::nullopt;
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{}, {"-o", "--paper", "--zoom", "--font"}}, error);
    if (!options) {
        return usage_error("print", error);
    }
    const auto out = options->value("-o");
    if (options->positional.size() != 1 || !out || out->empty() || *out == "-") {
        return usage_error("print", "give one input file and -o OUT.pdf");
    }
    const std::string paper_name = options->value("--paper").value_or("a4");
    if (paper_name != "a4" && paper_name != "letter") {
        return usage_error("print", "--paper is a4 or letter");
    }
    const auto zoom = zoom_index_of(options->value("--zoom").value_or("100"));
    if (!zoom) {
        return usage_error("print", "--zoom is one of 25, 50, 75, 100, 125, 150, 175, 200");
    }
    auto job = load_print_job(options->positional.front(), *zoom);
    if (!job) {
        return kExitFailure;
    }
    return write_print_pdf(*out, *job,
                           paper_name == "letter" ? print::Paper::letter : print::Paper::a4,
                           options->value("--font"));
}

const RegisterCommand reg(
    {"print", "print FILE -o OUT.pdf [--paper a4|letter] [--zoom PERCENT] [--font TTF]",
     "the printed pages of a program, data, text, picture, bitmap or slide show file as a PDF",
     &run});

}  // namespace
}  // namespace travex::cli
