
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "base/le_bytes.h"
#include "files/group_choice.h"
#include "files/group_file.h"
#include "tests/unit/fault_file_system.h"
#include "tests/unit/test_bytes.h"

namespace travex::group {
namespace {

using testing::FaultFileSystem;
using testing::pattern;

// Answers the file-exists question from a script and remembers what it was asked.
class ScriptedQuestion final : public FileQuestions {
public:
    explicit ScriptedQuestion(std::vector<OverwriteAnswer> answers = {})
        : answers_(std::move(answers)) {}
    SkipAnswer ask_skip(MessageId, std::string_view) override { return SkipAnswer::cancel; }
    void report(MessageId) override {}
    OverwriteAnswer ask_overwrite(std::string_view path) override {
        asked.emplace_back(path);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected question for " << path;
            return OverwriteAnswer::cancel;
        }
        const OverwriteAnswer answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    }
    std::vector<std::string> asked;

private:
    std::vector<OverwriteAnswer> answers_;
};

// One member record written out by hand: length, name field, bytes.
void append_record(Bytes& out, std::string_view name, const Bytes& bytes,
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

TEST(GroupWrite, LaysOutNameCharactersRecordsAndTerminator) {
    FaultFileSystem fs;
    fs.files["/d/b.g6p"] = {1, 2, 3};
    fs.files["/d/a.g6l"] = {};
    Selection selection;
    selection.add("/d/b.g6p");
    selection.add("/d/a.g6l");
    const WriteOutcome outcome = write_group(fs, "/d/Group.g6g", selection);
    ASSERT_TRUE(outcome.written);
    EXPECT_EQ(outcome.members, 2u);
    const Bytes expected = group_of({{"a.g6l", {}}, {"b.g6p", {1, 2, 3}}});
    EXPECT_EQ(fs.files["/d/Group.g6g"], expected);
    EXPECT_EQ(expected.size(), 2u + 264 + 267 + 264);
    EXPECT_EQ(outcome.size, expected.size());
}

TEST(GroupWrite, EmptyGroupIsNeverWrittenAndUnpacksToNothing) {
    FaultFileSystem fs;
    const WriteOutcome outcome = write_group(fs, "/d/Group.g6g", Selection{});
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, MessageId::none);
    ScriptedQuestion never;
    const UnpackOutcome unpacked = unpack_group(fs, group_of({}), "/out", never);
    EXPECT_EQ(unpacked.end, UnpackEnd::complete);
    EXPECT_TRUE(unpacked.members.empty());
    EXPECT_EQ(fs.writes, 0);
}

TEST(GroupWrite, ChecksFreeSpacePathLengthCreationAndMembers) {
    FaultFileSystem fs;
    fs.files["/d/a"] = pattern(100, 1);
    fs.files["/d/b"] = pattern(50, 2);
    Selection selection;
    selection.add("/d/a");
    selection.add("/d/b");
    const std::uint64_t needed = 265 * 3 + 150;

    fs.free_bytes = needed - 1;
    WriteOutcome outcome = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(outcome.message, MessageId::disk_full);
    EXPECT_EQ(fs.last_free_space_query, "/d/g.g6g");
    EXPECT_EQ(fs.writes, 0);

    fs.free_bytes = needed;
    // Built by appending: GCC 12 at -O3 misreads "/" + std::string as overlapping copies.
    std::string long_path = "/";
    long_path.append(251, 'x').append(".g6g");  // 256 characters
    ASSERT_EQ(long_path.size(), 256u);
    EXPECT_EQ(write_group(fs, long_path, selection).message, MessageId::name_too_long);
    EXPECT_EQ(fs.writes, 0);
    EXPECT_TRUE(write_group(fs, long_path.substr(1), selection).written);  // 255 characters

    fs.failing_paths.insert("/d/g.g6g");
    outcome = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(outcome.message, MessageId::cannot_create);
    EXPECT_EQ(outcome.failed_path, "/d/g.g6g");

    // An unreadable member leaves the group file as it was.
    fs.failing_paths.clear();
    fs.files["/d/g.g6g"] = {7, 7};
    selection.add("/d/missing");
    outcome = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(outcome.message, MessageId::file_access_failed);
    EXPECT_EQ(outcome.failed_path, "/d/missing");
    EXPECT_EQ(fs.files["/d/g.g6g"], (Bytes{7, 7}));
}

TEST(GroupUnpack, RefusesFilesThatAreNotGroups) {
    FaultFileSystem fs;
    ScriptedQuestion never;
    fs.files["/p.g6p"] = {'6', 'p', 0, 0, 0, 0};
    fs.files["/one"] = {'g'};
    fs.files["/upper.g4g"] = {'4', 'G', 0, 0, 0, 0};
    EXPECT_EQ(unpack_group_file(fs, "/p.g6p", "/out", never).message, MessageId::not_group_file);
    EXPECT_EQ(unpack_group_file(fs, "/one", "/out", never).message, MessageId::not_group_file);
    EXPECT_EQ(unpack_group_file(fs, "/missing", "/out", never).message, MessageId::not_group_file);
    const UnpackOutcome upper = unpack_group_file(fs, "/upper.g4g", "/out", never);
    EXPECT_TRUE(upper.clean());
    EXPECT_TRUE(upper.members.empty());
    EXPECT_EQ(fs.writes, 0);
}

TEST(GroupUnpack, OverwriteAnswersActOnEachFileAndOverwriteAllStopsAsking) {
    using A = OverwriteAnswer;
    // a, b and d exist already (holding 9); the group holds a=1 .. e=5.
    // {answers, overwrite all from the start, paths asked, end, a..e afterwards (0: absent)}
    const std::tuple<std::vector<A>, bool, std::vector<std::string>, UnpackEnd, Bytes> cases[] = {
        {{A::overwrite_all}, false, {"/out/a"}, UnpackEnd::complete, {1, 2, 3, 4, 5}},
        {{A::overwrite, A::skip, A::cancel},
         false,
         {"/out/a", "/out/b", "/out/d"},
         UnpackEnd::cancelled,
         {1, 9, 3, 9, 0}},
        {{}, true, {}, UnpackEnd::complete, {1, 2, 3, 4, 5}},
    };
    const Bytes group = group_of({{"a", {1}}, {"b", {2}}, {"c", {3}}, {"d", {4}}, {"e", {5}}});
    for (const auto& [answers, all_first, asked, end, result] : cases) {
        FaultFileSystem fs;
        fs.files = {{"/out/a", {9}}, {"/out/b", {9}}, {"/out/d", {9}}};
        ScriptedQuestion question(answers);
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
        "../evil.g6p", "sub/x.g6p", "sub\\x.g6p", "C:evil.g6p", "..", ".", "a\x01z", "CON",
        "nul.txt", "Com1.g6p", "x:stream", "\x7f", "what?.g6p", "a*b", "p|q", "<x>", "",
        // Trailing dots and spaces, which Windows drops.
        "trailing.", "spc ", "...", "a.g6p.", "a.g6p ", "x. .",
        // Device names, also with the superscript digits Windows counts (Latin-1 and UTF-8).
        "COM\xB9", "lpt\xB2.g6p", "Com\xB3 .txt", "COM\xC2\xB9", "aux", "PRN.g6p", "lpt9"};
    std::vector<std::pair<std::string, Bytes>> members = {{"first.g6p", {1}}};
    for (const auto& name : unsafe) {
        members.push_back({name, {0xEE}});
    }
    members.push_back({"last.g6p", {2}});
    const UnpackOutcome outcome = unpack_group(fs, group_of(members), "/out", never);
    EXPECT_EQ(outcome.end, UnpackEnd::complete);
    EXPECT_FALSE(outcome.clean());
    EXPECT_EQ(outcome.count(MemberOutcome::refused), unsafe.size());
    for (const auto& m : outcome.members) {
        if (m.outcome == MemberOutcome::refused) {
            EXPECT_FALSE(m.reason.empty()) << m.name;
            EXPECT_TRUE(m.path.empty()) << m.name;
        }
    }
    // Only the safe members exist, and only inside the folder.
    EXPECT_EQ(fs.files,
              (std::map<std::string, Bytes>{{"/out/first.g6p", {1}}, {"/out/last.g6p", {2}}}));
    for (const char* look_alike : {"..hidden", "console.g6p", "com10", "\xE6\x88\x91.g6p",
                                   ".hidden", "com\xB4", "lpt\xC2\xB4", "a.b c", "com"}) {
        EXPECT_FALSE(unsafe_member_name(look_alike).has_value()) << look_alike;
    }
}

// What follows one good member: damaged records keep what was written before them and name the
// damage. A record's length counts its own 264-byte head: 263 cannot be a record, 264 is an
// empty member and 265 a member of one byte; a last record may reach the end of the group
// exactly (the terminator is then missing) but not one byte beyond it.
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
    Bytes unterminated_name;
    append_u32le(unterminated_name, 264);
    const Bytes name_bytes(260, 'n');  // appended, not resized: GCC 12 misreads the resize
    unterminated_name.insert(unterminated_name.end(), name_bytes.begin(), name_bytes.end());
    using Files = std::map<std::string, Bytes>;
    const Files good = {{"/o/good", {5, 6}}};
    // {what, what follows the good member, clean, files afterwards, words of the damage}
    const std::tuple<const char*, Bytes, bool, Files, const char*> cases[] = {
        {"runs past the end", record("cut", {1, 2, 3}, 264 + 50), false, good, "past the end"},
        {"length near 4 GiB", record("huge", {}, 0xFFFFFFFFu), false, good, "past the end"},
        {"name without its zero", unterminated_name, false, good, ""},
        {"no terminator at all", {}, false, good, "terminating"},
        {"terminator cut to two bytes", {0, 0}, false, good, ""},
        {"one byte short of the head", terminated(record("m", {}, 263)), false, good, "264"},
        {"exactly the head",
         terminated(record("m", {}, 264)),
         true,
         {{"/o/good", {5, 6}}, {"/o/m", {}}},
         ""},
        {"one byte more than the head",
         terminated(record("m", {7}, 265)),
         true,
         {{"/o/good", {5, 6}}, {"/o/m", {7}}},
         ""},
        {"last record reaches the end",
         record("m", {1, 2, 3}, 267),
         false,
         {{"/o/good", {5, 6}}, {"/o/m", {1, 2, 3}}},
         "terminating"},
        {"last record one byte beyond", record("m", {1, 2, 3}, 268), false, good, "past the end"},
    };
    for (const auto& [what, tail, clean, files, words] : cases) {
        FaultFileSystem fs;
        ScriptedQuestion never;
        Bytes group = {'6', 'g'};
        append_record(group, "good", {5, 6});
        group.insert(group.end(), tail.begin(), tail.end());
        const UnpackOutcome outcome = unpack_group(fs, group, "/o", never);
        EXPECT_EQ(outcome.clean(), clean) << what;
        EXPECT_EQ(outcome.end, clean ? UnpackEnd::complete : UnpackEnd::damaged) << what;
        EXPECT_EQ(outcome.damage.empty(), clean) << what;
        EXPECT_NE(outcome.damage.find(words), std::string::npos) << what << ": " << outcome.damage;
        EXPECT_EQ(fs.files, files) << what;
    }
}

TEST(GroupUnpack, StopsOnLongTargetPathsUncreatableFilesAndTooLittleSpace) {
    const Bytes group = group_of({{"a", {1}}, {std::string(200, 'n'), {2}}, {"c", {3}}});
    {
        FaultFileSystem fs;
        ScriptedQuestion never;
        const std::string folder = std::string("/").append(54, 'f');  // + '/' + 200 = 256
        const UnpackOutcome outcome = unpack_group(fs, group, folder, never);
        EXPECT_EQ(outcome.end, UnpackEnd::failed);
        EXPECT_EQ(outcome.message, MessageId::name_too_long);
        EXPECT_EQ(fs.files.size(), 1u);  // the first member stays
    }
    {
        FaultFileSystem fs;
        ScriptedQuestion never;
        const std::string member = std::string("/o/").append(200, 'n');
        fs.failing_paths.insert(member);
        const UnpackOutcome outcome = unpack_group(fs, group, "/o", never);
        EXPECT_EQ(outcome.message, MessageId::cannot_create);
        EXPECT_EQ(outcome.message_path, member);
        EXPECT_EQ(fs.files.size(), 1u);
        EXPECT_EQ(fs.files.count("/o/c"), 0u);
    }
    // The group's size must be free in the folder.
    FaultFileSystem fs;
    ScriptedQuestion never;
    fs.free_bytes = group.size() - 1;
    EXPECT_EQ(unpack_group(fs, group, "C:\\out", never).message, MessageId::disk_full);
    EXPECT_EQ(fs.writes, 0);
    fs.free_bytes = group.size();
    EXPECT_TRUE(unpack_group(fs, group, "C:\\out", never).clean());
    EXPECT_EQ(fs.files.count("C:\\out\\a"), 1u);
}

TEST(GroupChoice, ChosenFilesTakeTheShownFolder) {
    EXPECT_EQ(chosen_path("C:\\Data", "Prog.g6p"), "C:\\Data\\Prog.g6p");
    EXPECT_EQ(chosen_path("Z:\\tmp\\", "a.g6l"), "Z:\\tmp\\a.g6l");
    // A typed full path is taken as it stands.
    EXPECT_EQ(chosen_path("C:\\Data", "D:\\x\\b.g6p"), "D:\\x\\b.g6p");
    EXPECT_EQ(chosen_path("C:\\Data", "\\x\\b.g6p"), "\\x\\b.g6p");
    EXPECT_EQ(listed_path("C:\\Data", "Prog.G6P"), "c:\\data\\prog.g6p");
}

TEST(GroupChoice, SelectionOrderDoesNotChangeTheGroupOrder) {
    // Chosen in either order, with the same file twice: one entry each, sorted by path.
    const char* names[][3] = {{"Zed.g6p", "alpha.g6p", "ZED.G6P"},
                              {"alpha.g6p", "ZED.g6p", "zed.g6p"}};
    for (const auto& order : names) {
        Selection selection;
        for (const char* name : order) {
            selection.add(listed_path("C:\\Work", name));
        }
        ASSERT_EQ(selection.entries().size(), 2u);
        EXPECT_EQ(selection.entries()[0].key, "c:\\work\\alpha.g6p");
        EXPECT_EQ(selection.entries()[1].key, "c:\\work\\zed.g6p");
    }
}

}  // namespace
}  // namespace travex::group
