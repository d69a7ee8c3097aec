#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fault_file_system.h"
#include "files/received_item.h"

namespace travex {
namespace {

using testing::FaultFileSystem;

std::string file_name(std::string_view text) {
    return received_item_file_name(to_bytes(text), '6', 'p');
}

TEST(FilesReceivedName, CalculatorNamesBecomeSafeLowerCaseFileNames) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"MY GAME", "my_game.g6p"}, {std::string("AB\0CD", 5), "ab.g6p"},
        // 0xFF bytes do not count toward the eight; only the first 11 bytes are looked at.
        {"\xff" "AB\xff" "CDEFGHIJ", "abcdefgh.g6p"}, {std::string(10, '\xff') + "AB", "a.g6p"},
        // Bytes a file name must not hold, traversal, empty and device names.
        {"A/B\\C:", "a_b_c_.g6p"}, {"../../etc", ".._.._et.g6p"}, {"..", "__.g6p"},
        {"\xff\xff", "_.g6p"}, {"CON", "con_.g6p"}, {"aux.x", "aux_.x.g6p"}, {"CONSOLE", "console.g6p"},
    };
    // clang-format on
    for (const auto& [text, name] : cases) {
        EXPECT_EQ(file_name(text), name);
    }
    for (int byte = 1; byte < 256; ++byte) {
        const std::string name = file_name(std::string(1, static_cast<char>(byte)) + "X");
        EXPECT_EQ(name.find_first_of("/\\:*?\"<>|\x7f"), std::string::npos) << byte;
        EXPECT_TRUE(
            std::all_of(name.begin(), name.end(), [](char c) { return c < 0 || c >= 0x20; }));
    }
    EXPECT_EQ(safe_leaf_name("a b.g6m"), "a b.g6m");  // a safe leaf name passes unchanged
}

class FilesStoreReceived : public ::testing::Test {
protected:
    // Stores the program payload under name; existing files get the answer given.
    StoreOutcome store(std::string_view name, OverwriteAnswer answer = OverwriteAnswer::cancel,
                       const Bytes& payload = {0x00, 0x41, 0xFD, 0xFF}, char letter = 'p',
                       std::string_view folder = "/recv") {
        PolicyQuestions questions(answer);
        begin_received_item(state_, letter, make_item_name("PROG"));
        const StoreOutcome outcome =
            store_received_item(fs_, questions, state_, folder, name, payload);
        for (const MessageId message : questions.messages()) {
            reported_.push_back(string_id(message));
        }
        return outcome;
    }
    FaultFileSystem fs_;
    ReceiveState state_;
    std::vector<int> reported_;
};

TEST_F(FilesStoreReceived, WritesInTheFolderWithTheDefaultTitle) {
    using enum StoreOutcome;
    EXPECT_EQ(store("x.g6l", OverwriteAnswer::cancel, {0x10, 0x08, 1, 2}, 'l'), continue_receiving);
    const Bytes& file = fs_.files["/recv/x.g6l"];
    EXPECT_EQ(std::string(file.begin() + 13, file.begin() + 28),
              std::string("List file data\0", 15));
    // Unsafe names never leave the folder.
    EXPECT_EQ(store("../../etc/x.g6p"), continue_receiving);
    EXPECT_EQ(fs_.files.count("/recv/.._.._etc_x.g6p"), 1u);
    EXPECT_EQ(fs_.files.size(), 2u);
    // Without a type letter or with a bad payload: abort, nothing said or written.
    EXPECT_EQ(store(".."), abort);
    EXPECT_EQ(store("prog.g6p", OverwriteAnswer::cancel, {}), abort);
    EXPECT_TRUE(reported_.empty());
    EXPECT_EQ(fs_.write_attempts.size(), 2u);
}

TEST_F(FilesStoreReceived, NoSpaceLongPathsAndFailedWritesReportAndAbort) {
    using enum StoreOutcome;
    fs_.free_bytes = 54 + 3 - 1;
    EXPECT_EQ(store("prog.g6p"), abort);
    fs_.free_bytes = 54 + 3;
    EXPECT_EQ(store("prog.g6p"), continue_receiving);
    EXPECT_EQ(fs_.files["/recv/prog.g6p"].size(), 54 + 3u);
    EXPECT_EQ(store("prog.g6p", OverwriteAnswer::cancel, {0}, 'p', std::string(250, 'd')), abort);
    fs_.put("/recv/a.g6p", Bytes{9, 9, 9});
    fs_.fail_writes = true;
    EXPECT_EQ(store("a.g6p", OverwriteAnswer::overwrite), abort);
    EXPECT_EQ(fs_.files["/recv/a.g6p"], (Bytes{9, 9, 9}));
    EXPECT_EQ(reported_, (std::vector<int>{419, 428, 427}));
}

}  // namespace
}  // namespace travex
