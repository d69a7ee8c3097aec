#include "files/group_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/le_bytes.h"
#include "tests/unit/fake_file_system.h"

namespace travex::group {
namespace {

using testing::FakeFileSystem;

// Answers the file-exists question from a script and remembers what it was asked.
class ScriptedQuestion final : public OverwriteQuestion {
public:
    explicit ScriptedQuestion(std::vector<OverwriteAnswer> answers = {})
        : answers_(std::move(answers)) {}
    OverwriteAnswer ask(const std::string& path) override {
        asked.push_back(path);
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

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
    }
    return bytes;
}

TEST(GroupSelection, KeepsLowerCasedPathsSortedAndEachFileOnce) {
    Selection selection;
    EXPECT_TRUE(selection.add("C:\\Data\\Zeta.g6p"));
    EXPECT_TRUE(selection.add("C:\\Data\\alpha.G6L"));
    EXPECT_TRUE(selection.add("C:\\Data\\Beta.g6m"));
    EXPECT_FALSE(selection.add("c:\\data\\ZETA.G6P"));
    EXPECT_FALSE(selection.add("C:/Data/zeta.g6p"));  // the same file with other separators
    // A path that merely begins like a chosen one is another file and is added.
    EXPECT_TRUE(selection.add("C:\\Data\\alpha.G6"));
    std::vector<std::string> keys;
    for (const auto& e : selection.entries()) {
        keys.push_back(e.key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"c:\\data\\alpha.g6", "c:\\data\\alpha.g6l",
                                              "c:\\data\\beta.g6m", "c:\\data\\zeta.g6p"}));
    EXPECT_EQ(selection.entries()[3].path, "C:\\Data\\Zeta.g6p");  // read under its own name
    selection.remove(0);
    selection.remove(99);
    EXPECT_EQ(selection.entries().size(), 3u);
}

TEST(GroupSelection, MemberNamesDropTheFolderOrKeepTwelveCharacters) {
    EXPECT_EQ(member_name_of("c:\\data\\prog.g6p"), "prog.g6p");
    EXPECT_EQ(member_name_of("/home/u/Mixed/LIST1.G6L"), "list1.g6l");
    EXPECT_EQ(member_name_of("averylongname.g6p"), "averylongnam");
    EXPECT_EQ(member_name_of("short.g6p"), "short.g6p");
}

TEST(GroupWrite, LaysOutNameCharactersRecordsAndTerminator) {
    FakeFileSystem fs;
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
    EXPECT_EQ(read_u32le(expected, 2), 264u);
    EXPECT_EQ(read_u32le(expected, 2 + 264), 267u);
    EXPECT_EQ(outcome.size, expected.size());
}

TEST(GroupWrite, EmptySelectionWritesNothingAndReportsNothing) {
    FakeFileSystem fs;
    const WriteOutcome outcome = write_group(fs, "/d/Group.g6g", Selection{});
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(outcome.message, kMsgNone);
    EXPECT_EQ(fs.writes, 0);
}

TEST(GroupWrite, ChecksFreeSpacePathLengthAndCreation) {
    FakeFileSystem fs;
    fs.files["/d/a"] = pattern(100, 1);
    fs.files["/d/b"] = pattern(50, 2);
    Selection selection;
    selection.add("/d/a");
    selection.add("/d/b");
    const std::uint64_t needed = 265 * 3 + 150;

    fs.free_bytes = needed - 1;
    WriteOutcome outcome = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(outcome.message, kMsgDiskFull);
    EXPECT_EQ(fs.last_free_space_query, "/d/g.g6g");
    EXPECT_EQ(fs.writes, 0);

    fs.free_bytes = needed;
    const std::string long_path = "/" + std::string(251, 'x') + ".g6g";  // 256 characters
    ASSERT_EQ(long_path.size(), 256u);
    EXPECT_EQ(write_group(fs, long_path, selection).message, kMsgNameTooLong);
    EXPECT_EQ(fs.writes, 0);
    EXPECT_TRUE(write_group(fs, long_path.substr(1), selection).written);  // 255 characters

    fs.failing_paths.insert("/d/g.g6g");
    outcome = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(outcome.message, kMsgCannotCreate);
    EXPECT_EQ(outcome.failed_path, "/d/g.g6g");
}

TEST(GroupWrite, UnreadableMemberWritesNothing) {
    FakeFileSystem fs;
    fs.files["/d/a"] = {1};
    fs.files["/d/g.g6g"] = {7, 7};
    Selection selection;
    selection.add("/d/a");
    selection.add("/d/missing");
    const WriteOutcome outcome = write_group(fs, "/d/g.g6g", selection);
    EXPECT_EQ(outcome.message, kMsgFileAccessFailed);
    EXPECT_EQ(outcome.failed_path, "/d/missing");
    EXPECT_EQ(fs.files["/d/g.g6g"], (Bytes{7, 7}));
}

TEST(GroupRoundTrip, UngroupingGivesEveryFileBackByteForByte) {
    FakeFileSystem fs;
    const std::vector<std::pair<std::string, Bytes>> originals = {
        {"/src/empty.g6p", {}},
        {"/src/one.g6l", {0}},
        {"/src/big.g6b", pattern(70000, 3)},
        {"/src/inner.g6g", group_of({{"x.g6p", {1, 2}}})},  // a group inside a group
        {"/src/zeros.bin", Bytes(264, 0)},
    };
    Selection selection;
    for (const auto& [path, bytes] : originals) {
        fs.files[path] = bytes;
        selection.add(path);
    }
    ASSERT_TRUE(write_group(fs, "/src/all.g6g", selection).written);
    ScriptedQuestion never;
    const UnpackOutcome outcome = unpack_group_file(fs, "/src/all.g6g", "/out", never);
    EXPECT_TRUE(outcome.clean());
    ASSERT_EQ(outcome.members.size(), originals.size());
    EXPECT_EQ(outcome.members[0].name, "big.g6b");  // sorted order
    for (const auto& [path, bytes] : originals) {
        const std::string name = path.substr(5);
        EXPECT_EQ(fs.files["/out/" + name], bytes) << name;
    }
    EXPECT_TRUE(never.asked.empty());
}

TEST(GroupUnpack, RefusesFilesThatAreNotGroups) {
    FakeFileSystem fs;
    ScriptedQuestion never;
    fs.files["/p.g6p"] = {'6', 'p', 0, 0, 0, 0};
    fs.files["/one"] = {'g'};
    fs.files["/upper.g4g"] = {'4', 'G', 0, 0, 0, 0};
    EXPECT_EQ(unpack_group_file(fs, "/p.g6p", "/out", never).message, kMsgNotGroupFile);
    EXPECT_EQ(unpack_group_file(fs, "/one", "/out", never).message, kMsgNotGroupFile);
    EXPECT_EQ(unpack_group_file(fs, "/missing", "/out", never).message, kMsgNotGroupFile);
    const UnpackOutcome upper = unpack_group_file(fs, "/upper.g4g", "/out", never);
    EXPECT_TRUE(upper.clean());
    EXPECT_TRUE(upper.members.empty());
    EXPECT_EQ(fs.writes, 0);
}

TEST(GroupUnpack, FirstRecordOfLengthZeroUnpacksNothingAndSucceeds) {
    FakeFileSystem fs;
    ScriptedQuestion never;
    const UnpackOutcome outcome = unpack_group(fs, group_of({}), "/out", never);
    EXPECT_EQ(outcome.end, UnpackEnd::complete);
    EXPECT_TRUE(outcome.members.empty());
    EXPECT_EQ(fs.writes, 0);
}

TEST(GroupUnpack, OverwriteAllReplacesLaterFilesWithoutAsking) {
    FakeFileSystem fs;
    fs.files["/out/a"] = {9};
    fs.files["/out/c"] = {9};
    fs.files["/out/d"] = {9};
    ScriptedQuestion question({OverwriteAnswer::overwrite_all});
    const Bytes group = group_of({{"a", {1}}, {"b", {2}}, {"c", {3}}, {"d", {4}}});
    const UnpackOutcome outcome = unpack_group(fs, group, "/out", question);
    EXPECT_TRUE(outcome.clean());
    EXPECT_EQ(question.asked, (std::vector<std::string>{"/out/a"}));
    EXPECT_EQ(fs.files["/out/a"], Bytes{1});
    EXPECT_EQ(fs.files["/out/b"], Bytes{2});
    EXPECT_EQ(fs.files["/out/c"], Bytes{3});
    EXPECT_EQ(fs.files["/out/d"], Bytes{4});
}

TEST(GroupUnpack, OverwriteSkipAndCancelAnswerEachFile) {
    FakeFileSystem fs;
    fs.files["/out/a"] = {9};
    fs.files["/out/b"] = {9};
    fs.files["/out/d"] = {9};
    ScriptedQuestion question(
        {OverwriteAnswer::overwrite, OverwriteAnswer::skip, OverwriteAnswer::cancel});
    const Bytes group = group_of({{"a", {1}}, {"b", {2}}, {"c", {3}}, {"d", {4}}, {"e", {5}}});
    const UnpackOutcome outcome = unpack_group(fs, group, "/out", question);
    EXPECT_EQ(outcome.end, UnpackEnd::cancelled);
    EXPECT_EQ(question.asked, (std::vector<std::string>{"/out/a", "/out/b", "/out/d"}));
    EXPECT_EQ(fs.files["/out/a"], Bytes{1});  // overwritten
    EXPECT_EQ(fs.files["/out/b"], Bytes{9});  // skipped: the old file stays
    EXPECT_EQ(fs.files["/out/c"], Bytes{3});  // new, written before the cancel
    EXPECT_EQ(fs.files["/out/d"], Bytes{9});  // cancelled here
    EXPECT_EQ(fs.files.count("/out/e"), 0u);
    EXPECT_EQ(outcome.count(MemberOutcome::skipped), 1u);
    EXPECT_EQ(outcome.count(MemberOutcome::written), 2u);
}

TEST(GroupUnpack, OverwriteAllFromTheStartNeverAsks) {
    FakeFileSystem fs;
    fs.files["/out/a"] = {9};
    ScriptedQuestion never;
    EXPECT_TRUE(unpack_group(fs, group_of({{"a", {1}}}), "/out", never, true).clean());
    EXPECT_EQ(fs.files["/out/a"], Bytes{1});
}

TEST(GroupUnpack, RefusesNamesThatWouldLeaveTheFolderAndGoesOn) {
    FakeFileSystem fs;
    ScriptedQuestion never;
    const std::vector<std::string> unsafe = {"../evil.g6p", "sub/x.g6p", "sub\\x.g6p", "C:evil.g6p",
                                             "..",          ".",         "a\x01z",     "CON",
                                             "nul.txt",     "Com1.g6p",  "x:stream",   "\x7f",
                                             "what?.g6p",   "a*b",       "p|q",        "<x>"};
    std::vector<std::pair<std::string, Bytes>> members = {{"first.g6p", {1}}};
    for (const auto& name : unsafe) {
        members.push_back({name, {0xEE}});
    }
    members.push_back({"last.g6p", {2}});
    Bytes group = group_of(members);
    // And a member whose name field is empty.
    Bytes empty_named = {'6', 'g'};
    append_record(empty_named, "", {0xEE});
    append_record(empty_named, "ok", {3});
    empty_named.resize(empty_named.size() + 264, 0);

    const UnpackOutcome outcome = unpack_group(fs, group, "/out", never);
    EXPECT_EQ(outcome.end, UnpackEnd::complete);
    EXPECT_FALSE(outcome.clean());
    EXPECT_EQ(outcome.count(MemberOutcome::refused), unsafe.size());
    for (const auto& m : outcome.members) {
        if (m.outcome == MemberOutcome::refused) {
            EXPECT_FALSE(m.reason.empty()) << m.name;
            EXPECT_TRUE(m.path.empty()) << m.name;
        }
    }
    const UnpackOutcome second = unpack_group(fs, empty_named, "/out", never);
    EXPECT_EQ(second.count(MemberOutcome::refused), 1u);
    // Only the safe members exist, and only inside the folder.
    EXPECT_EQ(fs.files.size(), 3u);
    EXPECT_EQ(fs.files["/out/first.g6p"], Bytes{1});
    EXPECT_EQ(fs.files["/out/last.g6p"], Bytes{2});
    EXPECT_EQ(fs.files["/out/ok"], Bytes{3});
    // Names that only look alike are fine.
    EXPECT_FALSE(unsafe_member_name("..hidden").has_value());
    EXPECT_FALSE(unsafe_member_name("console.g6p").has_value());
    EXPECT_FALSE(unsafe_member_name("com10").has_value());
    EXPECT_FALSE(unsafe_member_name("\xE6\x88\x91.g6p").has_value());
}

TEST(GroupUnpack, DamagedRecordsKeepWhatWasWrittenAndReportTheDamage) {
    struct Case {
        const char* what;
        Bytes tail;  // what follows one good member
    };
    Bytes past_end;
    append_record(past_end, "cut", {1, 2, 3}, 264 + 50);
    Bytes too_short;
    append_record(too_short, "small", {}, 100);
    Bytes huge;
    append_record(huge, "huge", {}, 0xFFFFFFFFu);
    Bytes unterminated_name;
    append_u32le(unterminated_name, 264);
    unterminated_name.resize(unterminated_name.size() + 260, 'n');
    const Case cases[] = {
        {"record runs past the end", past_end}, {"record shorter than its head", too_short},
        {"record length near 4 GiB", huge},     {"name without its zero", unterminated_name},
        {"no terminator at all", {}},           {"terminator cut to two bytes", {0, 0}},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        ScriptedQuestion never;
        Bytes group = {'6', 'g'};
        append_record(group, "good", {5, 6});
        group.insert(group.end(), c.tail.begin(), c.tail.end());
        const UnpackOutcome outcome = unpack_group(fs, group, "/out", never);
        EXPECT_EQ(outcome.end, UnpackEnd::damaged) << c.what;
        EXPECT_FALSE(outcome.damage.empty()) << c.what;
        EXPECT_FALSE(outcome.clean()) << c.what;
        EXPECT_EQ(fs.files["/out/good"], (Bytes{5, 6})) << c.what;
        EXPECT_EQ(fs.files.size(), 1u) << c.what;
    }
}

TEST(GroupUnpack, StopsOnLongTargetPathsAndFilesThatCannotBeCreated) {
    const Bytes group = group_of({{"a", {1}}, {std::string(200, 'n'), {2}}, {"c", {3}}});
    {
        FakeFileSystem fs;
        ScriptedQuestion never;
        const std::string folder = "/" + std::string(54, 'f');  // folder + '/' + 200 = 256
        const UnpackOutcome outcome = unpack_group(fs, group, folder, never);
        EXPECT_EQ(outcome.end, UnpackEnd::failed);
        EXPECT_EQ(outcome.message, kMsgNameTooLong);
        EXPECT_EQ(fs.files.size(), 1u);  // the first member stays
    }
    {
        FakeFileSystem fs;
        ScriptedQuestion never;
        fs.failing_paths.insert("/o/" + std::string(200, 'n'));
        const UnpackOutcome outcome = unpack_group(fs, group, "/o", never);
        EXPECT_EQ(outcome.message, kMsgCannotCreate);
        EXPECT_EQ(outcome.message_path, "/o/" + std::string(200, 'n'));
        EXPECT_EQ(fs.files.size(), 1u);
        EXPECT_EQ(fs.files.count("/o/c"), 0u);
    }
}

TEST(GroupUnpack, NeedsTheGroupSizeFreeInTheFolder) {
    const Bytes group = group_of({{"a", pattern(1000, 1)}});
    FakeFileSystem fs;
    ScriptedQuestion never;
    fs.free_bytes = group.size() - 1;
    EXPECT_EQ(unpack_group(fs, group, "C:\\out", never).message, kMsgDiskFull);
    EXPECT_EQ(fs.writes, 0);
    fs.free_bytes = group.size();
    EXPECT_TRUE(unpack_group(fs, group, "C:\\out", never).clean());
    EXPECT_EQ(fs.files.count("C:\\out\\a"), 1u);
}

TEST(GroupUnpack, TargetPathsAddOneSeparator) {
    EXPECT_EQ(target_path("C:\\data", "a.g6p"), "C:\\data\\a.g6p");
    EXPECT_EQ(target_path("C:\\", "a.g6p"), "C:\\a.g6p");
    EXPECT_EQ(target_path("out", "a.g6p"), "out/a.g6p");
    EXPECT_EQ(target_path("/tmp/x/", "a.g6p"), "/tmp/x/a.g6p");
}

}  // namespace
}  // namespace travex::group
