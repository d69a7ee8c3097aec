#include "files/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "codec/text_limits.h"
#include "fault_file_system.h"

namespace {

using travex::to_bytes;
using travex::testing::FaultFileSystem;

// A 54-byte header: model digit, type letter, name of spaces, no title.
std::string header(char digit, char letter) {
    std::string h = std::string{digit, letter} + std::string(11, ' ');
    h.resize(54, '\0');
    return h;
}

// The list L1 holding count elements (1 unless another 9-byte number is given).
std::string list_body(int count = 2,
                      const std::string& element = std::string("\0\0\x10\0\0\0\0\0\0", 9)) {
    std::string body = std::string("\x10\x08\x00", 3) + static_cast<char>(count & 0xFF) +
                       static_cast<char>(count >> 8) + std::string(2, '\0');
    for (int i = 0; i < count; ++i) {
        body += element;
    }
    return body;
}

TEST(TextFileOpen, MessagesOfEveryRefusal) {
    FaultFileSystem fs;
    // A header that does not match the name, a kind that is not text, too few bytes of a data
    // file, an export over the text limit (-1.2345678901234E-99 elements).
    // clang-format off
    const std::tuple<const char*, std::string, int> cases[] = {
        {"digit.g6l", header('4', 'l') + list_body(), 415}, {"short.g6p", "6p", 415},
        {"a.g6s", header('6', 's') + list_body(), 415}, {"tiny.g6v", "6v", 421},
        {"big.g6l", header('6', 'l') + list_body(6000, "\x90\x11\x12\x34\x56\x78\x90\x12\x34"), 430},
    };
    // clang-format on
    for (const auto& [name, contents, message] : cases) {
        fs.put(name, to_bytes(contents));
        EXPECT_EQ(travex::string_id(travex::open_as_text(fs, name).message), message) << name;
    }
}

// Lone line breaks become CR LF and grow by one byte each, so the limit holds for the text as
// the editor shows it; a program whose text passes the limit is refused the same way.
TEST(TextFileOpen, LineBreaksBecomeCrLfAndCountTowardTheLimit) {
    using travex::kMaxConvertedText;
    const std::string at = std::string(kMaxConvertedText - 2, 'x') + "\n";  // one LF to the limit
    // clang-format off
    const std::tuple<const char*, std::string, int, std::string> cases[] = {
        {"mixed.txt", "A\r\nB\nC\n\rD\r", 0, "A\r\nB\r\nC\r\n\r\nD\r\n"},
        {"at.txt", at, 0, at.substr(0, at.size() - 1) + "\r\n"},
        {"over.txt", std::string(kMaxConvertedText - 3, 'x') + "\n\n", 430, ""},
        // 25,601 tokens "sin " of four characters: a program text of 102,404 bytes.
        {"long.g6p", header('6', 'p') + std::string(25601, '\x88') + "\xFD\xFF", 430, ""},
    };
    // clang-format on
    for (const auto& [path, contents, message, text] : cases) {
        FaultFileSystem fs;
        fs.put(path, to_bytes(contents));
        const auto result = travex::open_as_text(fs, path);
        EXPECT_EQ(travex::string_id(result.message), message) << path;
        EXPECT_EQ(result.opened.text, text) << path;
    }
}

TEST(TextFileSave, EncodedWithoutHeaderAndNeverOverAnOldFile) {
    FaultFileSystem fs;
    EXPECT_EQ(travex::save_text_file(fs, "out.txt", ";L1\r\n\r\n\xA9\r\n"),
              travex::MessageId::none);
    EXPECT_EQ(travex::to_string(fs.files["out.txt"]), ";L1\r\n\r\n@theta@\r\n");
    // Room for the encoded text ("@theta@", 7 bytes) and 94 more is needed.
    fs.free_bytes = 7 + 94 - 1;
    EXPECT_EQ(travex::save_text_file(fs, "a.txt", "\xA9"), travex::MessageId::disk_full);
    EXPECT_FALSE(fs.exists("a.txt"));
    fs.free_bytes = 7 + 94;
    EXPECT_EQ(travex::save_text_file(fs, "a.txt", "\xA9"), travex::MessageId::none);
    fs.fail_writes = true;
    EXPECT_EQ(travex::save_text_file(fs, "out.txt", "new"), travex::MessageId::cannot_create);
    EXPECT_EQ(travex::to_string(fs.files["out.txt"]), ";L1\r\n\r\n@theta@\r\n");
}

}  // namespace
