// travex-cli detok: a program file as the text file the editor saves from a program window.
#include <string>

#include "base/input_caps.h"
#include "cli/command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "codec/detokenizer.h"
#include "codec/escapes.h"
#include "files/program_file.h"

namespace travex::cli {
namespace {

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{"--raw"}, {"-o"}}, error);
    if (!options) {
        return usage_error("detok", error);
    }
    if (options->positional.size() != 1) {
        return usage_error("detok", "expected one program file");
    }
    const std::string& path = options->positional[0];
    if (const auto out = options->value("-o"); out && same_file(path, *out)) {
        return fail(*out, "is the input itself; nothing written");
    }
    const auto file = read_input(path, kMaxCalculatorFileBytes);
    if (!file) {
        return kExitFailure;
    }
    const std::string contents = to_string(*file);
    const auto body = program_body(contents);
    if (!body) {
        return fail(path, "not a program file (shorter than 54 bytes or type letter is not p)");
    }
    const auto text = detokenize_checked(
        std::span(reinterpret_cast<const std::uint8_t*>(body->data()), body->size()));
    if (!text) {
        return fail(path, "program text longer than 51200 bytes; nothing written");
    }
    return write_output(options->value("-o"),
                        options->has("--raw") ? *text : encode_escapes(*text));
}

const RegisterCommand reg({"detok", "detok PROGRAM [-o OUT] [--raw]",
                           "program file -> text (@name@ escapes unless --raw)", &run});

}  // namespace
}  // namespace travex::cli
