// travex-cli ungroup: unpacks a group file into a folder. Existing files are kept and reported
// unless --overwrite is given; member names that would leave the folder are refused.
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

// Without --overwrite every existing file is kept.
class KeepExisting final : public FileQuestions {
public:
    OverwriteAnswer ask_overwrite(std::string_view) override { return OverwriteAnswer::skip; }
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::skip; }
    void report(MessageId) override {}
};

const char* outcome_name(group::MemberOutcome outcome) {
    switch (outcome) {
        case group::MemberOutcome::written:
            return "written";
        case group::MemberOutcome::skipped:
            return "kept";
        case group::MemberOutcome::refused:
            return "refused";
    }
    return "";
}

const char* end_name(group::UnpackEnd end) {
    switch (end) {
        case group::UnpackEnd::complete:
            return "complete";
        case group::UnpackEnd::cancelled:
            return "cancelled";
        case group::UnpackEnd::failed:
            return "failed";
        case group::UnpackEnd::damaged:
            return "damaged";
    }
    return "";
}

void print_text(const group::UnpackOutcome& outcome) {
    for (const auto& m : outcome.members) {
        switch (m.outcome) {
            case group::MemberOutcome::written:
                std::printf("written %s (%llu bytes)\n", printable(m.path).c_str(),
                            static_cast<unsigned long long>(m.size));
                break;
            case group::MemberOutcome::skipped:
                std::printf("kept %s: the file exists (--overwrite replaces it)\n",
                            printable(m.path).c_str());
                break;
            case group::MemberOutcome::refused:
                std::printf("refused member \"%s\" at offset %zu: %s; nothing written for it\n",
                            printable(m.name).c_str(), m.offset, m.reason.c_str());
                break;
        }
    }
}

void print_json(const std::string& group_path, const std::string& folder,
                const group::UnpackOutcome& outcome) {
    std::printf("{\"group\": %s, \"folder\": %s, \"members\": [", json_quoted(group_path).c_str(),
                json_quoted(folder).c_str());
    const char* separator = "";
    for (const auto& m : outcome.members) {
        std::printf("%s\n  {\"name\": %s, \"offset\": %zu, \"size\": %llu, \"outcome\": \"%s\"",
                    separator, json_quoted(m.name).c_str(), m.offset,
                    static_cast<unsigned long long>(m.size), outcome_name(m.outcome));
        if (!m.path.empty()) {
            std::printf(", \"path\": %s", json_quoted(m.path).c_str());
        }
        if (!m.reason.empty()) {
            std::printf(", \"reason\": %s", json_quoted(m.reason).c_str());
        }
        std::printf("}");
        separator = ",";
    }
    std::printf("],\n \"end\": \"%s\", \"message\": %d", end_name(outcome.end),
                static_cast<int>(outcome.message));
    if (outcome.message != MessageId::none) {
        std::printf(", \"text\": %s", json_quoted(message_text(outcome.message)).c_str());
    }
    if (!outcome.damage.empty()) {
        std::printf(", \"damage\": %s", json_quoted(outcome.damage).c_str());
    }
    std::printf("}\n");
}

int run(Args args) {
    std::string error;
    const auto options = parse_options(args, OptionSpec{{"--overwrite", "--json"}, {}}, error);
    if (!options) {
        return usage_error("ungroup", error);
    }
    const auto& positional = options->positional;
    if (positional.empty() || positional.size() > 2) {
        return usage_error("ungroup", "give the group file and at most one folder");
    }
    const std::string& group_path = positional[0];
    const std::string folder = positional.size() > 1 ? positional[1] : ".";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    KeepExisting keep;
    const group::UnpackOutcome outcome = group::unpack_group_file(
        real_file_system(), group_path, folder, keep, options->has("--overwrite"));
    if (options->has("--json")) {
        print_json(group_path, folder, outcome);
    } else {
        print_text(outcome);
    }
    std::fflush(stdout);
    switch (outcome.end) {
        case group::UnpackEnd::complete:
            break;
        case group::UnpackEnd::damaged:
            return fail(group_path,
                        "damaged group file: " + outcome.damage + "; " +
                            std::to_string(outcome.count(group::MemberOutcome::written)) +
                            " files written before the damage are kept");
        case group::UnpackEnd::cancelled:
            return fail(group_path, "cancelled");
        case group::UnpackEnd::failed:
            return fail(outcome.message_path.empty() ? group_path : outcome.message_path,
                        message_text(outcome.message));
    }
    if (const std::size_t refused = outcome.count(group::MemberOutcome::refused)) {
        return fail(group_path, std::to_string(refused) +
                                    " members refused: their names would leave the folder");
    }
    return kExitOk;
}

const RegisterCommand reg({"ungroup", "ungroup GROUP [DIR] [--overwrite] [--json]",
                           "unpack a group file; existing files are kept unless --overwrite",
                           &run});

}  // namespace
}  // namespace travex::cli
