// travex-cli import: a list or matrix file built from a CSV file, as a spreadsheet saves it.
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/output.h"
#include "cli/picture_output.h"
#include "files/data_csv.h"

namespace travex::cli {
namespace {

// A CSV of a full list or matrix is far smaller; a larger file is refused before it is read.
constexpr std::uint64_t kMaxCsvBytes = 16 * 1024 * 1024;

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{}, {"-o", "--name", "--title"}}, error);
    if (!options) {
        return usage_error("import", error);
    }
    const auto out = options->value("-o");
    if (options->positional.size() != 1 || !out) {
        return usage_error("import", "give one CSV file and -o OUT.g6l or -o OUT.g6m");
    }
    const bool list = ends_with_ignoring_case(*out, ".g6l");
    if (!list && !ends_with_ignoring_case(*out, ".g6m")) {
        return usage_error("import", "OUT must end in .g6l (a list) or .g6m (a matrix)");
    }
    const std::string& path = options->positional.front();
    if (same_file(path, *out)) {
        return fail(*out, "is the input itself; nothing written");
    }
    const auto csv = read_input(path, kMaxCsvBytes);
    if (!csv) {
        return kExitFailure;
    }
    const CsvImport made = data_file_from_csv(to_string(*csv), list ? 'l' : 'm',
                                              options->value("--name"), options->value("--title"));
    if (!made.error.empty()) {
        return fail(path, made.error + "; nothing was written");
    }
    return write_output(*out, made.file);
}

const RegisterCommand reg({"import", "import FILE.csv -o OUT.g6l|OUT.g6m [--name N] [--title T]",
                           "a list or matrix file from CSV (values as spreadsheets write them)",
                           &run});

}  // namespace
}  // namespace travex::cli
