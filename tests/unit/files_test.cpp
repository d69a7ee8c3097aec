
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <tuple>

#include "fault_file_system.h"
#include "files/calc_file.h"
#include "files/file_kind.h"
#include "files/file_types.h"
#include "files/open_action.h"
#include "files/program_file.h"
#include "files/received_item.h"
#include "test_bytes.h"

namespace travex {
namespace {

using testing::FaultFileSystem;
using testing::pattern;

// A file image with the given header fields and body.
Bytes make_file(char digit, char letter, const ItemName& name, const Bytes& body = {},
                std::string_view title = "") {
    const auto head = build_header({static_cast<std::uint8_t>(digit),
                                    static_cast<std::uint8_t>(letter), name, make_title(title), 0});
    // Sized first and filled by copies: GCC 12 at -O2 misreads a vector insert after the header
    // as a write out of bounds (-Warray-bounds false positive).
    Bytes file(head.size() + body.size());
    std::copy(head.begin(), head.end(), file.begin());
    std::copy(body.begin(), body.end(), file.begin() + static_cast<std::ptrdiff_t>(head.size()));
    return file;
}

class FilesReadForSending : public ::testing::Test {
protected:
    SendableFile read(const std::string& path, const Bytes& bytes, int model = 4) {
        fs_.put(path, bytes);
        return read_file_for_sending(fs_, path, model);
    }
    FaultFileSystem fs_;
};

TEST_F(FilesReadForSending, ChecksInOrderWithTheirResultsAndMessages) {
    using enum FileResult;
    auto program = [](char digit, char letter = 'p') {
        return make_file(digit, letter, make_item_name("P"));
    };
    const Bytes group = make_file('6', 'g', spaces_item_name(), pattern(8, 1));
    Bytes tiny = pattern(10, 1);
    tiny[1] = 'x';
    // clang-format off
    const std::tuple<std::string, Bytes, int, FileResult, int> cases[] = {
        {"empty.g6p", {}, 4, failure, 408},
        {"x.g6P", program('6', 'L'), 4, type_letter_mismatch, 406},
        {"x.g6p", {'6'}, 4, type_letter_mismatch, 406},
        // The letter is checked before the length, the length before the type.
        {"x.g6p", tiny, 4, type_letter_mismatch, 406},
        {"x.g6p", Bytes(53, 'p'), 4, shorter_than_header, 408},
        {"x.g6g", group, 4, not_transferable, 407},
        // Under model code 2 a wrong digit is found only after the type checks.
        {"x.g6g", group, 2, not_transferable, 407},
        // A variable-code type whose body cannot hold the variable code.
        {"x.g6m", make_file('6', 'm', variable_code_item_name(0x0910), {0x10}), 4, too_short_for_type, 408},
        // The running model checks no digit, 2 and 3 want their own, 5 and 6 their accepted ones.
        {"x.G6P", program('9'), 4, ok, 0}, {"x.g2p", program('4'), 2, wrong_model, 406},
        {"x.g3p", program('3'), 5, ok, 0}, {"x.g4p", program('4'), 5, wrong_model, 406},
    };
    // clang-format on
    for (const auto& [path, file, model, result, message] : cases) {
        SCOPED_TRACE(path + " " + std::to_string(file.size()) + " model " + std::to_string(model));
        const SendableFile sent = read(path, file, model);
        EXPECT_EQ(sent.result, result);
        EXPECT_EQ(string_id(send_failure_message(sent.result)), message);
        EXPECT_EQ(sent.payload.empty(), result != ok);
    }
    EXPECT_EQ(read_file_for_sending(fs_, "missing.g6p").result, failure);
}

TEST_F(FilesReadForSending, PayloadOfEveryForm) {
    // An empty 54-byte program: its name and a zero byte, 12 bytes.
    const ItemName name = make_item_name("ABCDEFGHIJK");
    SendableFile sent = read("a.g6p", make_file('6', 'p', name));
    EXPECT_EQ(to_string(sent.payload), std::string("ABCDEFGHIJK\0", 12));
    EXPECT_EQ(sent.item_name, name);
    // A list takes its variable code from the header (list 3), not from the body (list 1).
    sent = read("x.g6l", make_file('6', 'l', variable_code_item_name(0x0812), {0x10, 0x08, 0xAA}));
    EXPECT_EQ(sent.payload, (Bytes{0x12, 0x08, 0xAA}));
    EXPECT_TRUE(sent.item_name);
}

TEST(FilesWriteFile, NewExistingLongAndFailedWrites) {
    FaultFileSystem fs;
    EXPECT_EQ(write_file(fs, "a.g6p", pattern(60, 1), false), FileResult::ok);
    EXPECT_EQ(write_file(fs, "a.g6p", pattern(3, 1), false), FileResult::exists);
    EXPECT_EQ(fs.files["a.g6p"], pattern(60, 1));
    EXPECT_EQ(write_file(fs, "a.g6p", pattern(3, 1), true), FileResult::ok);
    EXPECT_EQ(fs.files["a.g6p"], pattern(3, 1));
    // Paths of 256 characters are refused before anything is written.
    EXPECT_EQ(write_file(fs, std::string(255, 'a'), pattern(1, 1), false), FileResult::ok);
    EXPECT_EQ(write_file(fs, std::string(256, 'a'), pattern(1, 1), true), FileResult::failure);
    EXPECT_EQ(fs.write_attempts.size(), 3u);
}

TEST(FilesReceivableTypes, VariableCodesRunAcrossTheRangesAndStopAtTheModelsCount) {
    // clang-format off
    const std::tuple<char, int, int, std::optional<int>> codes[] = {
        {'Y', 10, 4, 0x0C20}, {'Y', 30, 4, 0x0C42}, {'Y', 31, 4, {}}, {'Y', 21, 3, 0x0C2B},
        {'Y', 22, 3, {}}, {'Y', -1, 4, {}}};
    // clang-format on
    for (const auto& [letter, index, model, code] : codes) {
        const auto got = receivable_variable_code(*find_receivable_type(letter), index, model);
        EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, code) << letter << index;
    }
}

// The header fields of a saved program file and the body of an opened one.

std::string zeros(std::size_t n) {
    return std::string(n, '\0');
}

TEST(FilesProgramFile, HeaderFromFileNameAndTitle) {
    const auto file = make_program_file("C:\\work/progs\\QUADRAT.g6p", "SOLVER", "\x41\x42");
    ASSERT_EQ(file.error, ProgramFileError::none);
    EXPECT_EQ(file.bytes, "6pQUADRAT" + zeros(4) + "SOLVER" + zeros(35) + "\x41\x42\xFD\xFF");
    // Model and type are the last two characters of the name, whatever they are; the name
    // field holds at most 8 characters up to the first '.'.
    EXPECT_EQ(make_program_file("C:\\d\\loooongname.g6p", "", "").bytes.substr(0, 13),
              "6ploooongn" + zeros(3));
    EXPECT_EQ(make_program_file("dir/p", "", "").error, ProgramFileError::file_name_too_short);
    EXPECT_EQ(make_program_file("x.g6p", std::string(41, 'T'), "").error,
              ProgramFileError::title_too_long);
    EXPECT_EQ(make_program_file("x.g6p", std::string(40, 'T'), "").bytes.substr(13, 42),
              std::string(40, 'T') + zeros(1) + "\xFD");
}

TEST(FilesProgramFile, FinalLineBreakIsTheTrailers) {
    // Text ending with a line break saves as the same bytes as text without it, so a program
    // saved, opened and saved again keeps its bytes; empty lines before it stay.
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"\x41\xFD", "\x41\xFD\xFF"}, {"\x41", "\x41\xFD\xFF"}, {"\x41\xFD\xFD", "\x41\xFD\xFD\xFF"},
        {"\xFD", "\xFD\xFF"}};
    // clang-format on
    for (const auto& [tokens, body] : cases) {
        const std::string file = make_program_file("p.g6p", "", tokens).bytes;
        EXPECT_EQ(file.substr(54), body);
        EXPECT_EQ(program_body(file), body);
    }
}

// File > Open: which window a chosen file gets, by kind and, for data files, by size.

TEST(OpenAction, DataFilesNeedMoreThanSixtyTwoBytes) {
    for (const FileKind kind : {FileKind::list, FileKind::zoom}) {
        EXPECT_EQ(open_action(kind, 62), OpenAction::refuse_no_data) << file_kind_name(kind);
        EXPECT_EQ(open_action(kind, 63), OpenAction::editor) << file_kind_name(kind);
    }
    EXPECT_EQ(open_action(FileKind::text, 0), OpenAction::editor);  // text of any size opens
}

}  // namespace
}  // namespace travex
