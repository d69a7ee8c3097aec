// travex-cli group: packs files into one group file, in the sorted order of their lower-cased
// full paths, each file once.
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/file_system.h"
#include "cli/command.h"
#include "cli/media_text.h"
#include "cli/options.h"
#include "files/group_file.h"

namespace travex::cli {
namespace {

std::string full_path(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, OptionSpec{}, error);
    if (!options) {
        return usage_error("group", error);
    }
    const auto& positional = options->positional;
    if (positional.size() < 2) {
        return usage_error("group", "give the group file and at least one file to put in it");
    }
    const std::string& out = positional[0];
    if (out.back() != 'g' && out.back() != 'G') {
        return usage_error("group", "the group file name must end in g (for example Group.g6g)");
    }
    group::Selection selection;
    for (std::size_t i = 1; i < positional.size(); ++i) {
        selection.add(full_path(positional[i]));
    }
    const group::WriteOutcome outcome = group::write_group(real_file_system(), out, selection);
    if (!outcome.written) {
        return fail(outcome.failed_path, message_text(outcome.message));
    }
    for (const auto& entry : selection.entries()) {
        std::printf("  %s\n", printable(group::member_name_of(entry.key)).c_str());
    }
    std::printf("%s: %zu files grouped, %llu bytes\n", printable(out).c_str(), outcome.members,
                static_cast<unsigned long long>(outcome.size));
    return kExitOk;
}

const RegisterCommand reg({"group", "group OUT.g6g FILE...",
                           "pack files into one group file (sorted, each file once)", &run});

}  // namespace
}  // namespace travex::cli
