#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <tuple>

#include "fault_file_system.h"
#include "files/calc_file.h"
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

}  // namespace
}  // namespace travex
