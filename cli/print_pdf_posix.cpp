#include <unistd.h>

#include <climits>

#include "cli/command.h"
#include "cli/output.h"
#include "cli/print_document.h"

namespace travex::cli {
namespace {

// The calculator font is built beside travex-cli.
std::string font_beside_program() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return "WTMQV7.TTF";
    }
    std::string path(self, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return path.substr(0, slash + 1) + "WTMQV7.TTF";
}

}  // namespace

int write_print_pdf(const std::string& out, const print::PrintLayout& job, print::Paper paper,
                    const std::optional<std::string>& font_path) {
    const print::PdfResult result =
        print::render_pdf(paper, font_path.value_or(font_beside_program()), job.draw);
    if (!result.pdf) {
        return fail(out, result.problem + "; nothing written");
    }
    return write_output(out, *result.pdf);
}

}  // namespace travex::cli
