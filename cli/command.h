#pragma once
// travex-cli commands register themselves here; main() looks them up by name.
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace travex::cli {

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

using Args = std::span<const std::string>;
using CommandFn = int (*)(Args args);

struct Command {
    std::string_view name;
    std::string_view synopsis;  // "detok PROGRAM [-o OUT] [--raw]"
    std::string_view summary;   // one line for the usage text
    CommandFn run;
};

// Adds a command to the table; used through a static RegisterCommand object in the command's
// own file.
void register_command(const Command& command);
const std::vector<Command>& commands();

struct RegisterCommand {
    explicit RegisterCommand(const Command& command) { register_command(command); }
};

// A one-line failure naming the file and the problem, on standard error; returns kExitFailure.
int fail(std::string_view file, std::string_view problem);
// A usage error for the named command: its synopsis on standard error; returns kExitUsage.
int usage_error(std::string_view command, std::string_view problem);

}  // namespace travex::cli
