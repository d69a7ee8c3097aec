#include "cli/command.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace travex::cli {
namespace {

std::vector<Command>& table() {
    static std::vector<Command> instance;
    return instance;
}

}  // namespace

void register_command(const Command& command) {
    auto& list = table();
    list.push_back(command);
    std::sort(list.begin(), list.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
}

const std::vector<Command>& commands() {
    return table();
}

int fail(std::string_view file, std::string_view problem) {
    if (file.empty()) {
        std::fprintf(stderr, "travex-cli: %.*s\n", static_cast<int>(problem.size()),
                     problem.data());
    } else {
        std::fprintf(stderr, "travex-cli: %.*s: %.*s\n", static_cast<int>(file.size()), file.data(),
                     static_cast<int>(problem.size()), problem.data());
    }
    return kExitFailure;
}

int usage_error(std::string_view command, std::string_view problem) {
    std::fprintf(stderr, "travex-cli %.*s: %.*s\n", static_cast<int>(command.size()),
                 command.data(), static_cast<int>(problem.size()), problem.data());
    for (const Command& c : commands()) {
        if (c.name == command) {
            std::fprintf(stderr, "usage: travex-cli %.*s\n", static_cast<int>(c.synopsis.size()),
                         c.synopsis.data());
        }
    }
    return kExitUsage;
}

}  // namespace travex::cli
