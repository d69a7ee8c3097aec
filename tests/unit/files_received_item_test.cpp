#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "fake_file_system.h"
#include "files/received_item.h"

namespace travex {
namespace {

using testing::FakeFileSystem;

std::string file_name(std::string_view text, char digit = '6', char letter = 'p') {
    const Bytes bytes = to_bytes(text);
    return received_item_file_name(bytes, digit, letter);
}

TEST(FilesReceivedName, CalculatorNamesBecomeLowerCaseFileNames) {
    EXPECT_EQ(file_name("PROG\xff\xff\xff\xff\xff\xff\xff"), "prog.g6p");
    EXPECT_EQ(file_name("MY GAME"), "my_game.g6p");
    EXPECT_EQ(file_name("ABCDEFGHIJK"), "abcdefgh.g6p");
    // 0xFF bytes do not count toward the eight.
    EXPECT_EQ(file_name("\xff"
                        "AB\xff"
                        "CDEFGHIJ"),
              "abcdefgh.g6p");
    // Only the first 11 bytes are looked at.
    EXPECT_EQ(file_name("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff"
                        "AB"),
              "a.g6p");
    // A zero byte ends the name.
    EXPECT_EQ(file_name(std::string("AB\0CD", 5)), "ab.g6p");
    // Calculator glyph bytes are kept as they are.
    EXPECT_EQ(file_name("A\x90"
                        "B"),
              "a\x90"
              "b.g6p");
    EXPECT_EQ(file_name("Eq1", '6', 'E'), "eq1.g6e");
}

TEST(FilesReceivedName, VariableCodeNames) {
    EXPECT_EQ(received_item_text_from_token(0x0910, "mat A"), to_bytes("mat A"));
    const Bytes matrix = received_item_text_from_token(0x0910, "mat A");
    EXPECT_EQ(received_item_file_name(matrix, '6', 'm'), "mat_a.g6m");
    // The short graph-equation codes keep one character.
    for (std::uint16_t code : {0x0C40, 0x0C41, 0x0C42}) {
        const Bytes text = received_item_text_from_token(code, "Xt1");
        EXPECT_EQ(text, to_bytes("X")) << code;
        EXPECT_EQ(received_item_file_name(text, '6', 'y'), "x.g6y");
    }
    EXPECT_EQ(received_item_text_from_token(0x0C35, "Yabcdefghij"), to_bytes("Yabcdefg"));
    EXPECT_EQ(received_item_text_from_token(0x0D20, "G_Data1"), to_bytes("G_Data1"));
    EXPECT_EQ(received_item_text_from_token(0x0C3F, ""), Bytes{});
}

TEST(FilesReceivedName, FixedNames) {
    EXPECT_EQ(file_name("Backup", '6', 'b'), "backup.g6b");
    EXPECT_EQ(file_name("tblsetup", '6', 't'), "tblsetup.g6t");
    EXPECT_EQ(file_name("winsetup", '6', 'w'), "winsetup.g6w");
    EXPECT_EQ(file_name("variable", '6', 'v'), "variable.g6v");
    EXPECT_EQ(file_name("zoom", '6', 'z'), "zoom.g6z");
}

TEST(FilesReceivedName, BytesAFileNameMustNotHoldBecomeUnderscores) {
    EXPECT_EQ(file_name("A/B"), "a_b.g6p");
    EXPECT_EQ(file_name("A\\B"), "a_b.g6p");
    EXPECT_EQ(file_name("C:X"), "c_x.g6p");
    EXPECT_EQ(file_name("*?\"<>|"), "______.g6p");
    EXPECT_EQ(file_name("\x01\x1f\x7f"), "___.g6p");
    EXPECT_EQ(file_name("\r\n\t"), "___.g6p");
    for (int byte = 1; byte < 256; ++byte) {
        const std::string name = file_name(std::string(1, static_cast<char>(byte)) + "X");
        EXPECT_EQ(name.find_first_of("/\\:*?\"<>|"), std::string::npos) << byte;
        for (char c : name) {
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F) << byte;
        }
    }
}

TEST(FilesReceivedName, TraversalNamesStayInTheFolder) {
    EXPECT_EQ(file_name("../../etc"), ".._.._et.g6p");
    const std::string up = file_name("../../x");
    EXPECT_EQ(up, ".._.._x.g6p");
    EXPECT_EQ(up.find('/'), std::string::npos);
    EXPECT_EQ(file_name(".."), "__.g6p");
    EXPECT_EQ(file_name("."), "_.g6p");
    EXPECT_EQ(file_name(""), "_.g6p");
    EXPECT_EQ(file_name("\xff\xff\xff"), "_.g6p");
    EXPECT_EQ(file_name(std::string(1, '\0')), "_.g6p");
}

TEST(FilesReceivedName, DeviceNamesAreNotUsedAsSuch) {
    EXPECT_EQ(file_name("CON"), "con_.g6p");
    EXPECT_EQ(file_name("nul"), "nul_.g6p");
    EXPECT_EQ(file_name("COM1"), "com1_.g6p");
    EXPECT_EQ(file_name("LPT9"), "lpt9_.g6p");
    EXPECT_EQ(file_name("aux.x"), "aux_.x.g6p");
    EXPECT_EQ(file_name("CONSOLE"), "console.g6p");
    EXPECT_EQ(file_name("COM"), "com.g6p");
}

TEST(FilesSafeLeafName, SafeNamesPassUnchangedOthersAreRepaired) {
    EXPECT_EQ(safe_leaf_name("mat_a.g6m"), "mat_a.g6m");
    EXPECT_EQ(safe_leaf_name("a b.g6p"), "a b.g6p");
    EXPECT_EQ(safe_leaf_name("../x.g6p"), ".._x.g6p");
    EXPECT_EQ(safe_leaf_name("/etc/passwd"), "_etc_passwd");
    EXPECT_EQ(safe_leaf_name("C:\\x"), "C__x");
    EXPECT_EQ(safe_leaf_name(".."), "__");
    EXPECT_EQ(safe_leaf_name(""), "_");
    EXPECT_EQ(safe_leaf_name("prn.g6p"), "prn_.g6p");
    // Repairing is idempotent.
    for (const char* name : {"../x", "", "..", "con.g6p", "a\x01", "ok.g6p"}) {
        EXPECT_EQ(safe_leaf_name(safe_leaf_name(name)), safe_leaf_name(name)) << name;
    }
}

TEST(FilesJoinFolder, KeepsTheFolderSeparator) {
    EXPECT_EQ(join_folder("", "a.g6p"), "a.g6p");
    EXPECT_EQ(join_folder("/tmp", "a.g6p"), "/tmp/a.g6p");
    EXPECT_EQ(join_folder("/tmp/", "a.g6p"), "/tmp/a.g6p");
    EXPECT_EQ(join_folder("C:\\data", "a.g6p"), "C:\\data\\a.g6p");
    EXPECT_EQ(join_folder("C:\\data\\", "a.g6p"), "C:\\data\\a.g6p");
}

TEST(FilesReceivedHeaderName, ByTheTypesNameForm) {
    const Bytes calc = to_bytes("PROG\xff\xff\xff\xff\xff\xff\xff");
    ItemName expected;
    std::copy(calc.begin(), calc.end(), expected.begin());
    EXPECT_EQ(received_header_name('p', 0, calc), expected);
    EXPECT_EQ(received_header_name('S', 0, calc), expected);
    EXPECT_EQ(received_header_name('m', 0x0910, calc), variable_code_item_name(0x0910));
    EXPECT_EQ(received_header_name('y', 0x0C40, {}), variable_code_item_name(0x0C40));
    EXPECT_EQ(received_header_name('b', 0x0910, calc), spaces_item_name());
    EXPECT_EQ(received_header_name('z', 0, calc), spaces_item_name());
}

// Answers the overwrite question from a script and records what it was asked and shown.
class ScriptedQuestions final : public ReceiveQuestions {
public:
    std::vector<OverwriteAnswer> answers;
    std::vector<std::string> asked;
    std::vector<int> reported;

    OverwriteAnswer ask_overwrite(const std::string& path) override {
        asked.push_back(path);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question for " << path;
            return OverwriteAnswer::cancel;
        }
        const OverwriteAnswer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    void report(int message) override { reported.push_back(message); }
};

class FilesStoreReceived : public ::testing::Test {
protected:
    StoreOutcome store(std::string_view name, const Bytes& payload, char letter = 'p') {
        begin_received_item(state_, letter, make_item_name("PROG"));
        return store_received_item(fs_, questions_, state_, "/recv", name, payload);
    }
    FakeFileSystem fs_;
    ScriptedQuestions questions_;
    ReceiveState state_;
    const Bytes payload_ = {0x00, 0x41, 0xFD, 0xFF};
};

TEST_F(FilesStoreReceived, WritesTheFileInTheFolder) {
    EXPECT_EQ(store("prog.g6p", payload_), StoreOutcome::continue_receiving);
    ASSERT_EQ(fs_.files.count("/recv/prog.g6p"), 1u);
    EXPECT_EQ(fs_.files["/recv/prog.g6p"].size(), 54u + payload_.size() - 1);
    EXPECT_TRUE(questions_.asked.empty());
    EXPECT_TRUE(questions_.reported.empty());
}

TEST_F(FilesStoreReceived, TheDefaultTitleGoesIntoTheFile) {
    EXPECT_EQ(store("x.g6l", {0x10, 0x08, 1, 2}, 'l'), StoreOutcome::continue_receiving);
    const Bytes& file = fs_.files["/recv/x.g6l"];
    EXPECT_EQ(std::string(file.begin() + 13, file.begin() + 27), "List file data");
}

TEST_F(FilesStoreReceived, UnsafeNamesNeverLeaveTheFolder) {
    EXPECT_EQ(store("../../etc/x.g6p", payload_), StoreOutcome::continue_receiving);
    ASSERT_EQ(fs_.files.size(), 1u);
    const std::string stored = fs_.files.begin()->first;
    EXPECT_EQ(stored, "/recv/.._.._etc_x.g6p");
    EXPECT_EQ(store("..", payload_), StoreOutcome::abort);  // "__" has no type letter
}

TEST_F(FilesStoreReceived, NotEnoughSpaceReports419AndAborts) {
    fs_.free_bytes = 54 + payload_.size() - 2;
    EXPECT_EQ(store("prog.g6p", payload_), StoreOutcome::abort);
    EXPECT_EQ(questions_.reported, std::vector<int>{419});
    EXPECT_TRUE(fs_.files.empty());
    fs_.free_bytes = 54 + payload_.size() - 1;
    EXPECT_EQ(store("prog.g6p", payload_), StoreOutcome::continue_receiving);
}

TEST_F(FilesStoreReceived, ABadPayloadAbortsSilently) {
    EXPECT_EQ(store("prog.g6p", {}), StoreOutcome::abort);
    EXPECT_TRUE(questions_.reported.empty());
    EXPECT_TRUE(fs_.write_attempts.empty());
}

TEST_F(FilesStoreReceived, OverwriteAnswers) {
    const Bytes old = {1, 2, 3};
    fs_.put("/recv/a.g6p", old);
    fs_.put("/recv/b.g6p", old);
    fs_.put("/recv/c.g6p", old);

    questions_.answers = {OverwriteAnswer::skip};
    EXPECT_EQ(store("a.g6p", payload_), StoreOutcome::continue_receiving);
    EXPECT_EQ(fs_.files["/recv/a.g6p"], old);

    questions_.answers = {OverwriteAnswer::overwrite};
    EXPECT_EQ(store("a.g6p", payload_), StoreOutcome::continue_receiving);
    EXPECT_NE(fs_.files["/recv/a.g6p"], old);
    EXPECT_FALSE(state_.overwrite_all);

    questions_.answers = {OverwriteAnswer::cancel};
    EXPECT_EQ(store("b.g6p", payload_), StoreOutcome::abort);
    EXPECT_EQ(fs_.files["/recv/b.g6p"], old);
    EXPECT_EQ(questions_.asked,
              (std::vector<std::string>{"/recv/a.g6p", "/recv/a.g6p", "/recv/b.g6p"}));
    EXPECT_TRUE(questions_.reported.empty());
}

TEST_F(FilesStoreReceived, OverwriteAllNeverAsksAgainInTheOperation) {
    fs_.put("/recv/a.g6p", {1});
    fs_.put("/recv/b.g6p", {1});
    fs_.put("/recv/c.g6p", {1});
    questions_.answers = {OverwriteAnswer::overwrite_all};
    EXPECT_EQ(store("a.g6p", payload_), StoreOutcome::continue_receiving);
    EXPECT_TRUE(state_.overwrite_all);
    EXPECT_EQ(store("b.g6p", payload_), StoreOutcome::continue_receiving);
    EXPECT_EQ(store("c.g6p", payload_), StoreOutcome::continue_receiving);
    EXPECT_EQ(questions_.asked.size(), 1u);
    EXPECT_EQ(fs_.files["/recv/c.g6p"].size(), 57u);

    // A new operation starts with a fresh state and asks again.
    state_ = ReceiveState{};
    questions_.answers = {OverwriteAnswer::skip};
    EXPECT_EQ(store("c.g6p", payload_), StoreOutcome::continue_receiving);
    EXPECT_EQ(questions_.asked.size(), 2u);
}

TEST_F(FilesStoreReceived, APolicyAnswersEveryQuestionAlike) {
    fs_.put("/recv/a.g6p", {1});
    fs_.put("/recv/b.g6p", {1});
    PolicyQuestions skip_all(OverwriteAnswer::skip);
    begin_received_item(state_, 'p', make_item_name("P"));
    for (const char* name : {"a.g6p", "b.g6p", "c.g6p"}) {
        EXPECT_EQ(store_received_item(fs_, skip_all, state_, "/recv", name, payload_),
                  StoreOutcome::continue_receiving);
    }
    EXPECT_EQ(skip_all.asked(), (std::vector<std::string>{"/recv/a.g6p", "/recv/b.g6p"}));
    EXPECT_EQ(fs_.files["/recv/a.g6p"], Bytes{1});
    EXPECT_EQ(fs_.files["/recv/c.g6p"].size(), 57u);
    EXPECT_TRUE(skip_all.messages().empty());
}

TEST_F(FilesStoreReceived, AFailedWriteAbortsWithAMessageAndKeepsTheOldFile) {
    const Bytes old = {9, 9, 9};
    fs_.put("/recv/a.g6p", old);
    fs_.failing_paths.insert("/recv/a.g6p");
    questions_.answers = {OverwriteAnswer::overwrite};
    EXPECT_EQ(store("a.g6p", payload_), StoreOutcome::abort);
    EXPECT_EQ(fs_.files["/recv/a.g6p"], old);
    EXPECT_EQ(questions_.reported, std::vector<int>{427});

    fs_.fail_writes = true;
    EXPECT_EQ(store("new.g6p", payload_), StoreOutcome::abort);
    EXPECT_EQ(fs_.files.count("/recv/new.g6p"), 0u);
}

TEST_F(FilesStoreReceived, ALongPathReports428) {
    const std::string folder(250, 'd');
    begin_received_item(state_, 'p', make_item_name("P"));
    EXPECT_EQ(store_received_item(fs_, questions_, state_, folder, "prog.g6p", payload_),
              StoreOutcome::abort);
    EXPECT_EQ(questions_.reported, std::vector<int>{428});
    EXPECT_TRUE(fs_.write_attempts.empty());
}

}  // namespace
}  // namespace travex

namespace travex {
namespace {

std::string proposed(char letter, int index, std::string_view calculator_name = "",
                     int model = kRunningModelCode) {
    return received_item_file_name(*find_receivable_type(letter), index, to_bytes(calculator_name),
                                   model);
}

TEST(FilesReceivedNameFromTokens, NamesOfTheRunningModel) {
    EXPECT_EQ(proposed('M', 0), "mat_a.g6m");
    EXPECT_EQ(proposed('M', 9), "mat_j.g6m");
    EXPECT_EQ(proposed('L', 0), "l1.g6l");
    EXPECT_EQ(proposed('I', 0), "pict1.g6i");
    EXPECT_EQ(proposed('D', 9), "g_data0.g6d");
    EXPECT_EQ(proposed('N', 0), "l_data1.g6n");
    EXPECT_EQ(proposed('B', 0), "backup.g6b");
    EXPECT_EQ(proposed('Z', 0), "zoom.g6z");
    EXPECT_EQ(proposed('P', 0, "MY PROG\xff\xff\xff\xff"), "my_prog.g6p");
    EXPECT_EQ(proposed('S', 3, "SHOW"), "show.g6s");
    // Other models write their own digit.
    EXPECT_EQ(proposed('M', 1, "", 6), "mat_b.g4m");
    EXPECT_EQ(proposed('L', 0, "", 3), "l1.g3l");
}

TEST(FilesReceivedNameFromTokens, GraphEquationNames) {
    // The last three codes propose a one-letter base name.
    for (int index = 28; index <= 30; ++index) {
        const std::string name = proposed('Y', index);
        EXPECT_EQ(name.size(), 1 + 4u) << name;
    }
    // Every graph equation gets a name of its own, so no received item overwrites another.
    std::set<std::string> names;
    for (int index = 0; index < 31; ++index) {
        const std::string name = proposed('Y', index);
        EXPECT_TRUE(name.ends_with(".g6y")) << name;
        EXPECT_GT(name.size(), 4u) << index;
        EXPECT_NE(name[0], '_') << name;
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 31u);
    EXPECT_EQ(proposed('Y', 0), "y1.g6y");
}

}  // namespace
}  // namespace travex
