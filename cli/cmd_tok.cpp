// travex-cli tok: a text file saved as a program file, as the editor saves a program window
// under a new name.
#include <string>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "codec/escapes.h"
#include "files/name_field.h"
#include "files/program_file.h"
#include "files/program_from_text.h"

namespace travex::cli {
namespace {

// The input path with its extension (if the last path part has one) replaced by ".g6p".
std::string default_output(const std::string& input) {
    const std::size_t slash = input.find_last_of("\\/");
    const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = input.rfind('.');
    const std::string stem =
        (dot == std::string::npos || dot < base || dot == base) ? input : input.substr(0, dot);
    return stem + ".g6p";
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{"--raw"}, {"-o", "--title"}}, error);
    if (!options) {
        return usage_error("tok", error);
    }
    if (options->positional.size() != 1) {
        return usage_error("tok", "expected one text file");
    }
    const std::string& input = options->positional[0];
    // "-o -" writes the program file to standard output; its header then names the default
    // output file, which for standard input does not exist.
    std::string output = options->value("-o").value_or(default_output(input));
    const bool to_stdout = output == "-";
    if (to_stdout || output.empty()) {
        if (input == "-") {
            return usage_error("tok", "reading standard input needs -o with a file name");
        }
        output = default_output(input);
    }
    const std::string title = options->value("--title").value_or("");
    // The header fields are checked before anything is read.
    switch (make_program_file(output, title, {}).error) {
        case ProgramFileError::title_too_long:
            return usage_error("tok", "title longer than 40 bytes");
        case ProgramFileError::file_name_too_short:
            return usage_error("tok", "output file name needs at least two characters");
        case ProgramFileError::none:
            break;
    }

    const auto file = read_input(input);
    if (!file) {
        return kExitFailure;
    }
    const std::string text =
        options->has("--raw") ? to_string(*file) : decode_escapes(to_string(*file));
    const ProgramFromText program =
        program_file_from_text(output, name_field_from_path(output), title, text);
    switch (program.error) {
        case ProgramFromTextError::none:
            break;
        case ProgramFromTextError::text_too_long:
            return fail(input, "text longer than 51200 bytes; nothing written");
        case ProgramFromTextError::tokens_too_long:
            return fail(input, "program longer than 51200 token bytes; nothing written");
        case ProgramFromTextError::opens_too_long:
            return fail(input,
                        "program would open as more than 51200 bytes of text; nothing written");
        case ProgramFromTextError::title_too_long:
            return usage_error("tok", "title longer than 40 bytes");
        case ProgramFromTextError::file_name_too_short:
            return usage_error("tok", "output file name needs at least two characters");
    }
    return write_output(to_stdout ? std::optional<std::string>() : output, program.bytes);
}

const RegisterCommand reg({"tok", "tok TEXT [-o OUT] [--title T] [--raw]",
                           "text -> program file (default TEXT with .g6p)", &run});

}  // namespace
}  // namespace travex::cli
