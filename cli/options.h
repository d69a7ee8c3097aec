#pragma once
// A small option parser shared by the commands: flags (--raw), options with a value (-o OUT,
// --title T, repeatable --fault FAULT) and positional arguments, in any order. "--" ends options.
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/command.h"

namespace travex::cli {

struct OptionSpec {
    std::set<std::string> flags;   // e.g. {"--raw", "--json"}
    std::set<std::string> valued;  // e.g. {"-o", "--title"}
};

struct ParsedOptions {
    std::set<std::string> flags;
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> positional;

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    std::optional<std::string> value(const std::string& option) const {
        auto it = values.find(option);
        if (it == values.end() || it->second.empty()) {
            return std::nullopt;
        }
        return it->second.back();
    }
    std::vector<std::string> all(const std::string& option) const {
        auto it = values.find(option);
        return it == values.end() ? std::vector<std::string>{} : it->second;
    }
};

// Parses args; on an unknown option or a missing value, returns nullopt and sets error.
std::optional<ParsedOptions> parse_options(Args args, const OptionSpec& known, std::string& error);

}  // namespace travex::cli
