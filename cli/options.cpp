#include "cli/options.h"

namespace travex::cli {

std::optional<ParsedOptions> parse_options(Args args, const OptionSpec& known, std::string& error) {
    ParsedOptions parsed;
    bool options_ended = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options_ended || arg.size() < 2 || arg[0] != '-') {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_ended = true;
            continue;
        }
        if (known.flags.count(arg)) {
            parsed.flags.insert(arg);
            continue;
        }
        if (known.valued.count(arg)) {
            if (i + 1 >= args.size()) {
                error = "option " + arg + " needs a value";
                return std::nullopt;
            }
            parsed.values[arg].push_back(args[++i]);
            continue;
        }
        error = "unknown option " + arg;
        return std::nullopt;
    }
    return parsed;
}

}  // namespace travex::cli
