// travex-cli info FILE...: what the file container sees in calculator files: the header
// fields, the file kind, the send class and the result of reading the file for sending.
#include <cstdio>
#include <optional>
#include <string>

#include "base/file_system.h"
#include "base/input_caps.h"
#include "cli/command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "files/calc_file.h"
#include "files/file_kind.h"

namespace travex::cli {
namespace {

// Bytes as printable text: printable ASCII as it is, a backslash doubled, everything else as
// \xHH, so that names from the calculator and odd paths keep the layout one line per field.
std::string printable(std::span<const std::uint8_t> bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t byte : bytes) {
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += static_cast<char>(byte);
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string printable(std::string_view text) {
    return printable(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// A fixed-size field without its zero padding at the end.
std::span<const std::uint8_t> without_padding(std::span<const std::uint8_t> field) {
    std::size_t n = field.size();
    while (n > 0 && field[n - 1] == 0) {
        --n;
    }
    return field.first(n);
}

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string hex_byte(std::uint8_t value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "0x%02X", value);
    return buffer;
}

// What info reports about one file; empty fields are not available for it.
struct FileInfo {
    std::string file;
    std::optional<std::string> model_digit;
    std::optional<std::string> type_letter;
    std::optional<std::string> item_name;
    std::optional<std::string> title;
    std::optional<std::size_t> body_length;
    FileKind kind = FileKind::none;
    std::optional<std::uint8_t> send_class;
    std::optional<std::size_t> payload_length;
    FileResult result = FileResult::failure;
};

FileInfo inspect(const std::string& path, const Bytes& file, FileSystem& fs) {
    FileInfo info;
    info.file = printable(path);
    if (file.size() >= 1) {
        info.model_digit = printable(std::span(file).first(1));
    }
    if (file.size() >= 2) {
        info.type_letter = printable(std::span(file).subspan(1, 1));
        info.send_class = lookup_for_sending(static_cast<char>(file[1])).send_class;
    }
    if (const auto header = parse_header(file)) {
        info.item_name = printable(without_padding(header->name));
        info.title = printable(without_padding(header->title));
        info.body_length = file.size() - kHeaderSize;
    }
    info.kind = file_kind_of(path);
    const SendableFile sent = read_file_for_sending(fs, path);
    info.result = sent.result;
    if (sent.result == FileResult::ok) {
        info.payload_length = sent.payload.size();
    }
    return info;
}

template <typename T, typename F>
std::string or_dash(const std::optional<T>& value, F format) {
    return value ? format(*value) : std::string("-");
}

std::string as_text(const FileInfo& info) {
    auto same = [](const std::string& s) { return s; };
    auto number = [](std::size_t n) { return std::to_string(n); };
    std::string out;
    out += "file: " + info.file + "\n";
    out += "model digit: " + or_dash(info.model_digit, same) + "\n";
    out += "type letter: " + or_dash(info.type_letter, same) + "\n";
    out += "item name: " + or_dash(info.item_name, same) + "\n";
    out += "title: " + or_dash(info.title, same) + "\n";
    out += "body length: " + or_dash(info.body_length, number) + "\n";
    out += "file kind: " + std::to_string(static_cast<int>(info.kind)) + " (" +
           std::string(file_kind_name(info.kind)) + ")\n";
    out += "send class: " + or_dash(info.send_class, hex_byte) + "\n";
    out += "payload length: " + or_dash(info.payload_length, number) + "\n";
    out += "result: " + std::to_string(static_cast<int>(info.result)) + " " +
           std::string(describe(info.result)) + "\n";
    return out;
}

std::string as_json(const FileInfo& info) {
    auto text = [](const std::string& s) { return json_string(s); };
    auto number = [](std::size_t n) { return std::to_string(n); };
    auto null_or = [](const std::string& s) { return s == "-" ? std::string("null") : s; };
    auto send_class = [](std::uint8_t v) { return std::to_string(v); };
    std::string out = "{";
    out += "\"file\": " + json_string(info.file);
    out += ", \"model_digit\": " + null_or(or_dash(info.model_digit, text));
    out += ", \"type_letter\": " + null_or(or_dash(info.type_letter, text));
    out += ", \"item_name\": " + null_or(or_dash(info.item_name, text));
    out += ", \"title\": " + null_or(or_dash(info.title, text));
    out += ", \"body_length\": " + null_or(or_dash(info.body_length, number));
    out += ", \"file_kind\": " + std::to_string(static_cast<int>(info.kind));
    out += ", \"file_kind_name\": " + json_string(std::string(file_kind_name(info.kind)));
    out += ", \"send_class\": " + null_or(or_dash(info.send_class, send_class));
    out += ", \"payload_length\": " + null_or(or_dash(info.payload_length, number));
    out += ", \"result\": " + std::to_string(static_cast<int>(info.result));
    out += ", \"result_text\": " + json_string(std::string(describe(info.result)));
    return out + "}";
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{"--json"}, {}}, error);
    if (!options) {
        return usage_error("info", error);
    }
    if (options->positional.empty()) {
        return usage_error("info", "no file given");
    }
    const bool json = options->has("--json");
    FileSystem& fs = real_file_system();
    std::string out = json ? "[" : "";
    bool first = true;
    bool any_failed = false;
    for (const std::string& path : options->positional) {
        const std::uint64_t cap = input_cap_for(path);
        const CappedRead read = fs.read_file_capped(path, cap);
        const std::optional<Bytes>& file = read.bytes;
        if (!file) {
            fail(path, read.too_large ? too_large_problem(cap) : "cannot open or read the file");
            any_failed = true;
            continue;
        }
        const FileInfo info = inspect(path, *file, fs);
        if (json) {
            out += first ? "\n  " : ",\n  ";
            out += as_json(info);
        } else {
            out += first ? "" : "\n";
            out += as_text(info);
        }
        first = false;
    }
    if (json) {
        out += first ? "]\n" : "\n]\n";
    }
    const int written = write_output(std::nullopt, out);
    return any_failed ? kExitFailure : written;
}

const RegisterCommand reg({"info", "info FILE... [--json]",
                           "show the header, kind and send check of calculator files", &run});

}  // namespace
}  // namespace travex::cli
