#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "base/le_bytes.h"
#include "files/group_file.h"
#include "tests/unit/fault_file_system.h"

namespace travex::group {
namespace {

using testing::FaultFileSystem;

// Answers the file-exists questions from a script (cancel once it runs out) and remembers them.
struct ScriptedQuestion final : FileQuestions {
    std::vector<OverwriteAnswer> answers;
    std::vector<std::string> asked;
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::cancel; }
    void report(MessageId) override {}
    OverwriteAnswer ask_overwrite(std::string_view path) override {
        asked.emplace_back(path);
        return asked.size() <= answers.size() ? answers[asked.size() - 1] : OverwriteAnswer::cancel;
    }
};

// One member record written out by hand: length, name field, bytes. Not inlined: GCC 12 at -O2
// follows the caller's short vector into the inserts below and reports a write out of bounds
// (-Warray-bounds false positive).
[[gnu::noinline]] void append_record(Bytes& out, std::string_view name, const Bytes& bytes,
                                     std::uint32_t length_override = 0) {
    append_u32le(
        out, length_override ? length_override : static_cast<std::uint32_t>(bytes.size() + 264));
    Bytes field(260, 0);
    std::copy(name.begin(), name.end(), field.begin());
    out.insert(out.end(), field.begin(), field.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
}

Bytes group_of(const std::vector<std::pair<std::string, Bytes>>& members) {
    Bytes out = {'6', 'g'};
    for (const auto& [name, bytes] : members) {
        append_record(out, name, bytes);
    }
    out.resize(out.size() + 264, 0);
    return out;
}

TEST(GroupWrite, LayoutFreeSpaceAndUnreadableMembers) {
    FaultFileSystem fs;
    fs.files["/d/b.g6p"] = {1, 2, 3};
    fs.files["/d/a.g6l"] = {};
    Selection selection;
    selection.add("/d/b.g6p");
    selection.add("/d/a.g6l");
    const Bytes expected = group_of({{"a.g6l", {}}, {"b.g6p", {1, 2, 3}}});
    const std::uint64_t needed = 265 * 3 + 3;  // 265 bytes a record and the terminator
    fs.free_bytes = needed - 1;
    EXPECT_EQ(write_group(fs, "/d/g.g6g", selection).message, MessageId::disk_full);
    EXPECT_EQ(fs.writes, 0);
    fs.free_bytes = needed;
    const WriteOutcome outcome = write_group(fs, "/d/g.g6g", selection);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.members, 2u);
    EXPECT_EQ(fs.files["/d/g.g6g"], expected);
    // An unreadable member leaves the group file as it was.
    fs.files["/d/g.g6g"] = {7, 7};
    selection.add("/d/missing");
    const WriteOutcome failed = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(failed.message, MessageId::file_access_failed);
    EXPECT_EQ(failed.failed_path, "/d/missing");
    EXPECT_EQ(fs.files["/d/g.g6g"], (Bytes{7, 7}));
}

TEST(GroupUnpack, OverwriteAnswersActOnEachFileAndOverwriteAllStopsAsking) {
    using A = OverwriteAnswer;
    // a, b and d exist already (holding 9); the group holds a=1 .. e=5.
    // {answers, overwrite all from the start, paths asked, end, a..e afterwards (0: absent)}
    // clang-format off
    const std::tuple<std::vector<A>, bool, std::vector<std::string>, UnpackEnd, Bytes> cases[] = {
        {{A::overwrite_all}, false, {"/out/a"}, UnpackEnd::complete, {1, 2, 3, 4, 5}},
        {{A::overwrite, A::skip, A::cancel}, false, {"/out/a", "/out/b", "/out/d"}, UnpackEnd::cancelled, {1, 9, 3, 9, 0}},
        {{}, true, {}, UnpackEnd::complete, {1, 2, 3, 4, 5}},
    };
    // clang-format on
    const Bytes group = group_of({{"a", {1}}, {"b", {2}}, {"c", {3}}, {"d", {4}}, {"e", {5}}});
    for (const auto& [answers, all_first, asked, end, result] : cases) {
        FaultFileSystem fs;
        fs.files = {{"/out/a", {9}}, {"/out/b", {9}}, {"/out/d", {9}}};
        ScriptedQuestion question;
        question.answers = answers;
        EXPECT_EQ(unpack_group(fs, group, "/out", question, all_first).end, end);
        EXPECT_EQ(question.asked, asked);
        for (std::size_t i = 0; i < 5; ++i) {
            const std::string path = "/out/" + std::string(1, static_cast<char>('a' + i));
            EXPECT_EQ(fs.files.count(path) ? fs.files[path] : Bytes{},
                      result[i] ? Bytes{result[i]} : Bytes{})
                << path;
        }
    }
}

TEST(GroupUnpack, RefusesNamesThatWouldLeaveTheFolderAndGoesOn) {
    FaultFileSystem fs;
    ScriptedQuestion never;
    const std::vector<std::string> unsafe = {
        "../evil.g6p", "sub/x.g6p", "sub\\x.g6p", "C:evil.g6p", "..",        ".",
        "a\x01z",      "CON",       "nul.txt",    "x:stream",   "what?.g6p", "",
        "trailing.",   "spc ",      "COM\xB9",    "COM\xC2\xB9"};
    std::vector<std::pair<std::string, Bytes>> members = {{"first.g6p", {1}}};
    for (const auto& name : unsafe) {
        members.push_back({name, {0xEE}});
    }
    members.push_back({"last.g6p", {2}});
    const UnpackOutcome outcome = unpack_group(fs, group_of(members), "/out", never);
    EXPECT_EQ(outcome.end, UnpackEnd::complete);
    EXPECT_EQ(outcome.count(MemberOutcome::refused), unsafe.size());
    // Only the safe members exist, and only inside the folder.
    EXPECT_EQ(fs.files,
              (std::map<std::string, Bytes>{{"/out/first.g6p", {1}}, {"/out/last.g6p", {2}}}));
}

// What follows one good member: damaged records keep what was written before them and name the
// damage. A record's length counts its own 264-byte head; a last record may reach the end of
// the group exactly (the terminator is then missing) but not one byte beyond it.
TEST(GroupUnpack, RecordsAtAndBeyondTheirLimits) {
    const auto record = [](std::string_view name, const Bytes& bytes, std::uint32_t length) {
        Bytes out;
        append_record(out, name, bytes, length);
        return out;
    };
    const auto terminated = [](Bytes b) {
        b.resize(b.size() + 264, 0);
        return b;
    };
    // {what, what follows the good member, clean, member m as written (none: not written), words
    // of the damage}
    const std::tuple<const char*, Bytes, bool, std::optional<Bytes>, const char*> cases[] = {
        {"no terminator at all", {}, false, {}, "terminating"},
        {"one byte short of the head", terminated(record("m", {}, 263)), false, {}, "264"},
        {"exactly the head", terminated(record("m", {}, 264)), true, Bytes{}, ""},
        {"last record reaches the end", record("m", {1, 2, 3}, 267), false, Bytes{1, 2, 3},
         "terminating"},
        {"last record one byte beyond", record("m", {1, 2, 3}, 268), false, {}, "past the end"},
    };
    for (const auto& [what, tail, clean, m, words] : cases) {
        FaultFileSystem fs;
        ScriptedQuestion never;
        Bytes group = {'6', 'g'};
        append_record(group, "good", {5, 6});
        group.insert(group.end(), tail.begin(), tail.end());
        const UnpackOutcome outcome = unpack_group(fs, group, "/o", never);
        EXPECT_EQ(outcome.end, clean ? UnpackEnd::complete : UnpackEnd::damaged) << what;
        EXPECT_NE(outcome.damage.find(words), std::string::npos) << what << ": " << outcome.damage;
        std::map<std::string, Bytes> files = {{"/o/good", {5, 6}}};
        if (m) {
            files["/o/m"] = *m;
        }
        EXPECT_EQ(fs.files, files) << what;
    }
}

TEST(GroupUnpack, StopsOnLongTargetPathsAndTooLittleSpace) {
    const Bytes group = group_of({{"a", {1}}, {std::string(200, 'n'), {2}}, {"c", {3}}});
    FaultFileSystem fs;
    ScriptedQuestion never;
    const std::string folder = std::string("/").append(54, 'f');  // + '/' + 200 = 256
    EXPECT_EQ(unpack_group(fs, group, folder, never).message, MessageId::name_too_long);
    EXPECT_EQ(fs.files.size(), 1u);  // the first member stays
    fs.files.clear();                // the group's size must be free in the folder
    fs.free_bytes = group.size() - 1;
    EXPECT_EQ(unpack_group(fs, group, "C:\\out", never).message, MessageId::disk_full);
    EXPECT_TRUE(fs.files.empty());
    fs.free_bytes = group.size();
    EXPECT_TRUE(unpack_group(fs, group, "C:\\out", never).clean());
    EXPECT_EQ(fs.files.count("C:\\out\\a"), 1u);
}

}  // namespace
}  // namespace travex::group
