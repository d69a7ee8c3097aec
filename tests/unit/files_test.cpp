
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <optional>
#include <string>
#include <tuple>

#include "fault_file_system.h"
#include "files/calc_file.h"
#include "files/file_kind.h"
#include "files/file_types.h"
#include "files/model_table.h"
#include "files/open_action.h"
#include "files/program_file.h"
#include "files/received_item.h"

namespace travex {
namespace {

using testing::FaultFileSystem;

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

Bytes sequence(std::size_t n, std::uint8_t start = 1) {
    Bytes bytes(n);
    std::iota(bytes.begin(), bytes.end(), start);
    return bytes;
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
    const Bytes group = make_file('6', 'g', spaces_item_name(), sequence(8));
    Bytes tiny = sequence(10);
    tiny[1] = 'x';
    fs_.unreadable.insert("locked.g6p");
    // clang-format off
    const std::tuple<std::string, Bytes, int, FileResult, int> cases[] = {
        {"locked.g6p", program('6'), 4, failure, 408}, {"empty.g6p", {}, 4, failure, 408},
        {"x.g6P", program('6', 'L'), 4, type_letter_mismatch, 406},
        {"x.g6p", {'6'}, 4, type_letter_mismatch, 406},
        // The letter is checked before the length, the length before the type.
        {"x.g6p", tiny, 4, type_letter_mismatch, 406},
        {"x.g6p", Bytes(53, 'p'), 4, shorter_than_header, 408},
        {"x.g6g", {'6', 'g', 0}, 4, shorter_than_header, 408},
        {"x.g6g", group, 4, not_transferable, 407}, {"x.g6q", program('6', 'q'), 4, not_transferable, 407},
        // Under model code 2 a wrong digit is found only after the type checks.
        {"x.g6g", group, 2, not_transferable, 407},
        // A variable-code type whose body cannot hold the variable code.
        {"x.g6m", make_file('6', 'm', variable_code_item_name(0x0910), {0x10}), 4, too_short_for_type, 408},
        // The running model checks no digit, 2 and 3 want their own, 5 and 6 their accepted ones.
        {"x.G6P", program('9'), 4, ok, 0}, {"x.g2p", program('2'), 2, ok, 0},
        {"x.g2p", program('4'), 2, wrong_model, 406}, {"x.g3p", program('3'), 5, ok, 0},
        {"x.g4p", program('4'), 5, wrong_model, 406}, {"x.g4p", program('4'), 6, ok, 0},
        {"x.g6p", program('9'), 6, wrong_model, 406},
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
    EXPECT_EQ(describe(type_letter_mismatch), "header type letter differs from the extension");
}

TEST_F(FilesReadForSending, PayloadOfEveryForm) {
    // An empty 54-byte program: its name and a zero byte, 12 bytes.
    const ItemName name = make_item_name("ABCDEFGHIJK");
    SendableFile sent = read("a.g6p", make_file('6', 'p', name));
    EXPECT_EQ(to_string(sent.payload), std::string("ABCDEFGHIJK\0", 12));
    EXPECT_EQ(sent.send_class, kSendClassNamed);
    EXPECT_EQ(sent.item_name, name);
    EXPECT_FALSE(read("b.g6b", make_file('6', 'b', name, sequence(4))).item_name);
    // A list takes its variable code from the header (list 3), not from the body (list 1).
    sent = read("x.g6l", make_file('6', 'l', variable_code_item_name(0x0812), {0x10, 0x08, 0xAA}));
    EXPECT_EQ(sent.payload, (Bytes{0x12, 0x08, 0xAA}));
    EXPECT_TRUE(sent.item_name);
}

TEST(FilesWriteFile, NewExistingLongAndFailedWrites) {
    FaultFileSystem fs;
    EXPECT_EQ(write_file(fs, "a.g6p", sequence(60), false), FileResult::ok);
    EXPECT_EQ(write_file(fs, "a.g6p", sequence(3), false), FileResult::exists);
    EXPECT_EQ(fs.files["a.g6p"], sequence(60));
    EXPECT_EQ(write_file(fs, "a.g6p", sequence(3), true), FileResult::ok);
    EXPECT_EQ(fs.files["a.g6p"], sequence(3));
    // Paths of 256 characters are refused before anything is written.
    EXPECT_EQ(write_file(fs, std::string(255, 'a'), sequence(1), false), FileResult::ok);
    EXPECT_EQ(write_file(fs, std::string(256, 'a'), sequence(1), true), FileResult::failure);
    EXPECT_EQ(fs.write_attempts.size(), 3u);
    // Free space: at least the need, or unknown.
    fs.free_bytes = 100;
    EXPECT_TRUE(has_free_space(fs, "a", 100));
    EXPECT_FALSE(has_free_space(fs, "a", 101));
    fs.free_bytes = std::nullopt;
    EXPECT_TRUE(has_free_space(fs, "a", 1u << 30));
}

TEST(FilesTypeTable, ShapeAndLookups) {
    for (const FileType& type : kFileTypes) {
        SCOPED_TRACE(type.letter);
        // Found by its letter in either case (so no letter is there twice).
        EXPECT_EQ(find_file_type(static_cast<char>(type.letter - 'a' + 'A')), &type);
        // Exactly the items of the calculator's directory have an 11-character category name.
        EXPECT_EQ(type.type_name.size(), type.send_class == kSendClassNamed ? 11u : 0u);
        EXPECT_LE(type.default_title.size(), kTitleSize);
        // The receive code is the send code + 0x40, except for a zoom, which is requested as
        // the window setup that holds it; a group file is neither sent nor received.
        const int expected = type.letter == 'z'     ? 0x6B
                             : type.send_class == 0 ? 0
                                                    : type.send_class + 0x40;
        EXPECT_EQ(type.receive_request, expected);
    }
    EXPECT_EQ(lookup_for_sending('P').type_name, "PROGRAM    ");
    EXPECT_EQ(lookup_for_sending('l').type_name, "MATRIX     ");
    EXPECT_EQ(lookup_for_sending('g').send_class, 0);
    for (char letter : std::string("aqQ0 \x01\xff")) {
        EXPECT_EQ(find_file_type(letter), nullptr) << int(letter);
        EXPECT_EQ(lookup_for_receiving(letter).receive_request, 0);
    }
    EXPECT_EQ(lookup_for_receiving('L').title, make_title("List file data"));
    EXPECT_EQ(lookup_for_receiving('p').title, Title{});
}

TEST(FilesReceivableTypes, ListsCountsAndVariableCodes) {
    for (const ReceivableType& type : kReceivableTypes) {
        ASSERT_NE(find_file_type(type.letter), nullptr);
        EXPECT_NE(find_file_type(type.letter)->receive_request, 0);
    }
    EXPECT_TRUE(receivable_types_of_model(0).empty());
    EXPECT_EQ(receivable_type_code(*find_receivable_type('m'), '6'), "G6M");

    // Item counts, and codes that run across the ranges and stop at the model's count.
    // clang-format off
    const std::tuple<char, int, std::optional<int>> counts[] = {
        {'Y', 4, 31}, {'Y', 2, 31}, {'Y', 3, 22}, {'L', 4, 6}, {'B', 4, 1}, {'P', 4, {}}};
    const std::tuple<char, int, int, std::optional<int>> codes[] = {
        {'Y', 0, 4, 0x0C10}, {'Y', 9, 4, 0x0C19}, {'Y', 10, 4, 0x0C20}, {'Y', 22, 4, 0x0C30},
        {'Y', 28, 4, 0x0C40}, {'Y', 30, 4, 0x0C42}, {'Y', 31, 4, {}}, {'Y', 21, 3, 0x0C2B},
        {'Y', 22, 3, {}}, {'Y', -1, 4, {}}, {'L', 5, 4, 0x0815}, {'L', 6, 4, {}}, {'P', 0, 4, {}}};
    // clang-format on
    for (const auto& [letter, model, count] : counts) {
        EXPECT_EQ(receivable_item_count(*find_receivable_type(letter), model), count) << letter;
    }
    for (const auto& [letter, index, model, code] : codes) {
        const auto got = receivable_variable_code(*find_receivable_type(letter), index, model);
        EXPECT_EQ(got ? std::optional<int>(*got) : std::nullopt, code) << letter << index;
    }
}

TEST(FilesFileKind, KindsOfNames) {
    // clang-format off
    const std::pair<const char*, FileKind> cases[] = {
        {"C:\\d\\x.y\\PROG.G4P", FileKind::program}, {"notes.TXT", FileKind::text},
        {"shot.bmp", FileKind::bitmap}, {"SCREEN IMAGE12", FileKind::screen_image},
        {"Screen ima", FileKind::none}, {"C:\\x.g6p\\noext", FileKind::none},
    };
    // clang-format on
    for (const auto& [name, kind] : cases) {
        EXPECT_EQ(file_kind_of(name), kind) << name;
    }
    for (const char* name : {"a.g6b", "a.g6g", "a.g6d", "a.g6y", "a.g6e", "a.g5p", "a.g6", "a.g6pp",
                             "a.", "a.text", "", "a.h6p"}) {
        EXPECT_EQ(file_kind_of(name), FileKind::none) << name;
    }
    // Each calculator kind's header letter maps back to that kind, in both cases.
    for (int k = 1; k <= 10; ++k) {
        const auto kind = static_cast<FileKind>(k);
        const char letter = *header_letter_of_kind(kind);
        EXPECT_EQ(file_kind_of(std::string("x.g6") + letter), kind);
        EXPECT_EQ(file_kind_of(std::string("x.G4") + char(letter - 'a' + 'A')), kind);
    }
    EXPECT_FALSE(header_letter_of_kind(FileKind::text));
    EXPECT_FALSE(header_letter_of_kind(FileKind::none));
}

}  // namespace
}  // namespace travex

// The header fields of a saved program file and the body of an opened one.
namespace {

using travex::make_program_file;
using travex::program_body;
using travex::ProgramFileError;

std::string zeros(std::size_t n) {
    return std::string(n, '\0');
}

TEST(FilesProgramFile, HeaderFromFileNameAndTitle) {
    const auto file = make_program_file("C:\\work/progs\\QUADRAT.g6p", "SOLVER", "\x41\x42");
    ASSERT_EQ(file.error, ProgramFileError::none);
    EXPECT_EQ(file.bytes, "6pQUADRAT" + zeros(4) + "SOLVER" + zeros(35) + "\x41\x42\xFD\xFF");
    // Model and type are the last two characters of the name, whatever they are; the name
    // field holds at most 8 characters up to the first '.'.
    // clang-format off
    const std::pair<const char*, std::string> names[] = {
        {"C:\\data\\loooongname.g6p", "6ploooongn" + zeros(3)}, {"a.b.G4P", "4Pa" + zeros(10)},
        {"dir.x/.hidden", "en" + zeros(11)}, {"ab", "abab" + zeros(9)}};
    // clang-format on
    for (const auto& [name, field] : names) {
        EXPECT_EQ(make_program_file(name, "", "").bytes.substr(0, 13), field) << name;
    }
    for (const char* name : {"p", "dir/p", "dir/"}) {
        EXPECT_EQ(make_program_file(name, "", "").error, ProgramFileError::file_name_too_short);
    }
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

}  // namespace

// File > Open: which window a chosen file gets, by kind and, for data files, by size.
namespace travex {
namespace {

TEST(OpenAction, DataFilesNeedMoreThanSixtyTwoBytes) {
    for (const FileKind kind :
         {FileKind::list, FileKind::list_database, FileKind::matrix, FileKind::table_setup,
          FileKind::window_setup, FileKind::data_variable, FileKind::zoom}) {
        EXPECT_EQ(open_action(kind, 62), OpenAction::refuse_no_data) << file_kind_name(kind);
        EXPECT_EQ(open_action(kind, 63), OpenAction::editor) << file_kind_name(kind);
    }
    // A program or text file of any size opens, even an empty one.
    EXPECT_EQ(open_action(FileKind::program, 62), OpenAction::editor);
    EXPECT_EQ(open_action(FileKind::text, 0), OpenAction::editor);
}

TEST(OpenAction, KindsByName) {
    EXPECT_EQ(open_action(file_kind_of("show.g6s"), 2000), OpenAction::slide_show);
    EXPECT_EQ(open_action(file_kind_of("pic.g6i"), 2000), OpenAction::screen_image);
    EXPECT_EQ(open_action(file_kind_of("pic.BMP"), 2000), OpenAction::screen_image);
    EXPECT_EQ(open_action(file_kind_of("group.g6b"), 2000), OpenAction::refuse_unreadable);
    EXPECT_EQ(open_action(file_kind_of("Screen image 1"), 2000), OpenAction::refuse_unreadable);
}

}  // namespace
}  // namespace travex
