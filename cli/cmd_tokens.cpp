// travex-cli tokens: every token of the token tables, to look one up.
//
// One line per token with text, in the tokenizer's search order: the token bytes in hex (two
// digits for a one-byte token, four for a prefix and its index), a space, and the text in
// double quotes with @name@ escapes for glyphs; inside the quotes \ " CR LF are written \\ \"
// \r \n so that trailing spaces and the line break stay visible.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/output.h"
#include "codec/escapes.h"
#include "codec/token_tables.h"

namespace travex::cli {
namespace {

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : encode_escapes(text)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            default:
                out.push_back(c);
        }
    }
    return out + "\"";
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, {{}, {"-o"}}, error);
    if (!options) {
        return usage_error("tokens", error);
    }
    if (!options->positional.empty()) {
        return usage_error("tokens", "no arguments expected");
    }
    std::string listing;
    for (const TokenTable& table : token_tables()) {
        for (std::size_t i = 0; i < table.entries.size(); ++i) {
            if (table.entries[i].empty()) {
                continue;
            }
            char code[8];
            const auto value = static_cast<unsigned>(table.first + i);
            if (table.one_byte()) {
                std::snprintf(code, sizeof code, "%02X", value);
            } else {
                std::snprintf(code, sizeof code, "%02X%02X", unsigned{table.prefix}, value);
            }
            listing += code;
            listing += ' ';
            listing += quoted(table.entries[i]);
            listing += '\n';
        }
    }
    return write_output(options->value("-o"), listing);
}

const RegisterCommand reg({"tokens", "tokens [-o OUT]",
                           "list every token: hex code and \"text\" with escapes", &run});

}  // namespace
}  // namespace travex::cli
