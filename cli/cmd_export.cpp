// travex-cli export: a data file (or program or text file) as the text the editor shows, in
// the plain-text form the application saves (glyphs as @name@ escapes), or as calculator
// bytes with --raw.
#include <cstdio>
#include <string>
#include <string_view>

#include "base/file_system.h"
#include "base/input_caps.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "cli/output.h"
#include "codec/escapes.h"
#include "codec/text_limits.h"
#include "files/data_csv.h"
#include "files/text_file.h"

namespace travex::cli {
namespace {

// The message of a refusal; a text too long to convert also says why.
std::string export_message(MessageId message) {
    if (message == MessageId::no_memory) {
        return cli::message_text(message) + " (The text would be longer than " +
               std::to_string(kMaxConvertedText) + " bytes.)";
    }
    return cli::message_text(message);
}

// What export --json tells about a file instead of its text: its kind, header fields and the
// size of the text an export gives.
std::string export_metadata(const std::string& path, const OpenedText& opened) {
    const std::string& text = opened.text;
    std::size_t lines = 0;
    for (std::size_t at = 0; at < text.size(); ++lines) {
        const std::size_t end = text.find('\n', at);
        at = end == std::string::npos ? text.size() : end + 1;
    }
    std::string name(reinterpret_cast<const char*>(opened.name.data()), opened.name.size());
    while (!name.empty() && (name.back() == '\xFF' || name.back() == '\0')) {
        name.pop_back();
    }
    const std::string heading = text.substr(0, text.find_first_of("\r\n"));
    return "{\"file\": " + json_quoted(path) +
           ", \"kind\": " + json_quoted(file_kind_name(opened.kind)) +
           ", \"item_name\": " + json_quoted(name) + ", \"title\": " + json_quoted(opened.title) +
           ", \"heading\": " + json_quoted(encode_escapes(heading)) +
           ", \"lines\": " + std::to_string(lines) +
           ", \"text_bytes\": " + std::to_string(encode_escapes(text).size()) + "}\n";
}

// A list, list database or matrix as CSV (a list database cannot be imported back).
int export_csv(const std::string& path, const std::optional<std::string>& out) {
    if (out && same_file(path, *out)) {
        return fail(*out, "is the input itself; nothing written");
    }
    const auto file = read_input(path, kMaxCalculatorFileBytes);
    if (!file) {
        return kExitFailure;
    }
    const CsvExport csv = data_file_to_csv(*file);
    if (!csv.error.empty()) {
        return fail(path, csv.error + "; nothing was written");
    }
    if (csv.differs_on_import) {
        std::fprintf(stderr,
                     "travex-cli: %s: note: the file holds more than its CSV carries; importing "
                     "the CSV gives a file that is not the same byte for byte\n",
                     path.c_str());
    }
    return write_output(out, csv.text);
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{"--raw", "--json", "--csv"}, {"-o"}}, error);
    if (!options) {
        return usage_error("export", error);
    }
    if (options->positional.size() != 1) {
        return usage_error("export", "one data file expected");
    }
    const std::string& path = options->positional.front();
    if (options->has("--csv")) {
        return export_csv(path, options->value("-o"));
    }
    const OpenTextResult result = open_as_text(real_file_system(), path);
    if (!result.ok()) {
        return fail(path, export_message(result.message));
    }
    if (options->has("--json")) {
        return write_output(options->value("-o"), export_metadata(path, result.opened));
    }
    const std::optional<std::string> out = options->value("-o");
    if (options->has("--raw") || !out || out->empty() || *out == "-") {
        const std::string bytes =
            options->has("--raw") ? result.opened.text : encode_escapes(result.opened.text);
        return write_output(out, bytes);
    }
    const MessageId message = save_text_file(real_file_system(), *out, result.opened.text);
    return message == MessageId::none ? kExitOk : fail(*out, export_message(message));
}

const RegisterCommand reg(
    {"export", "export DATAFILE [-o OUT] [--raw | --json | --csv]",
     "a data file as text (.txt form; --raw keeps calculator bytes; --csv for lists and matrices)",
     &run});

}  // namespace
}  // namespace travex::cli
