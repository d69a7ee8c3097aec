#include "files/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "codec/text_limits.h"
#include "fault_file_system.h"

namespace {

using travex::to_bytes;
using travex::testing::FaultFileSystem;

// A 54-byte header: model digit, type letter, name of spaces, title, zero.
std::string header(char digit, char letter, const std::string& title = "") {
    std::string h = std::string{digit, letter} + std::string(11, ' ') + title;
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
    // A header that does not match the name, kinds that are not text, no file, 62 bytes of a
    // data file, a text or an export over the text limit (-1.2345678901234E-99 elements).
    // clang-format off
    const std::tuple<const char*, std::string, int> cases[] = {
        {"digit.g6l", header('4', 'l') + list_body(), 415}, {"letter.g6l", header('6', 'm') + list_body(), 415},
        {"short.g6p", "6p", 415}, {"a.g6s", header('6', 's') + list_body(), 415},
        {"a.g3l", header('3', 'l') + list_body(), 415}, {"Screen image 1", header('6', 'l') + list_body(), 415},
        {"none.g6l", "", 410}, {"none.txt", "", 410},
        {"small.g6t", header('6', 't') + std::string(8, '\0'), 421}, {"tiny.g6v", "6v", 421},
        {"big.txt", std::string(travex::kMaxConvertedText + 1, 'x'), 430},
        {"big.g6l", header('6', 'l') + list_body(6000, "\x90\x11\x12\x34\x56\x78\x90\x12\x34"), 430},
    };
    // clang-format on
    for (const auto& [name, contents, message] : cases) {
        if (!contents.empty()) {
            fs.put(name, to_bytes(contents));
        }
        EXPECT_EQ(travex::string_id(travex::open_as_text(fs, name).message), message) << name;
    }
}

// The limit holds for the text as the editor shows it: lone line breaks grow by one byte each
// when they become CR LF, and a program whose text passes the limit is refused the same way.
TEST(TextFileOpen, LineBreaksBecomeCrLfAndCountTowardTheLimit) {
    using travex::kMaxConvertedText;
    const std::string unix_lines = std::string(kMaxConvertedText / 2 - 1, 'x') + "\n";
    const std::string dos_lines = std::string(kMaxConvertedText / 2 - 2, 'x') + "\r\n";
    // clang-format off
    const std::tuple<const char*, std::string, int> cases[] = {
        {"lf.txt", "ClrT\nPrint \"A\"\n", 0}, {"cr.txt", "A\rB\r", 0}, {"mixed.txt", "A\r\nB\nC\rD", 0},
        // 51,199 bytes with one LF: exactly the limit once it is CR LF; two LFs pass it.
        {"at.txt", std::string(kMaxConvertedText - 2, 'x') + "\n", 0},
        {"over.txt", std::string(kMaxConvertedText - 3, 'x') + "\n\n", 430},
        {"halves.txt", dos_lines + dos_lines, 0}, {"unix.txt", unix_lines + unix_lines, 430},
        // 25,601 tokens "sin " of four characters: a program text of 102,404 bytes.
        {"long.g6p", header('6', 'p') + std::string(25601, '\x88') + "\xFD\xFF", 430},
    };
    // clang-format on
    for (const auto& [path, contents, message] : cases) {
        FaultFileSystem fs;
        fs.put(path, to_bytes(contents));
        const auto result = travex::open_as_text(fs, path);
        ASSERT_EQ(travex::string_id(result.message), message) << path;
        if (result.ok()) {
            const std::string& text = result.opened.text;
            EXPECT_LE(text.size(), kMaxConvertedText) << path;
            for (std::size_t i = 0; i < text.size(); ++i) {
                const bool pair = text.compare(i, 2, "\r\n") == 0;
                EXPECT_TRUE(text[i] != '\r' || pair) << path << " lone CR at " << i;
                EXPECT_TRUE(text[i] != '\n' || (i > 0 && text[i - 1] == '\r'))
                    << path << " lone LF at " << i;
            }
        }
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
    EXPECT_EQ(travex::save_text_file(fs, std::string(256, 'p'), "x"),
              travex::MessageId::name_too_long);
    EXPECT_EQ(travex::save_text_file(fs, std::string(255, 'p'), "x"), travex::MessageId::none);
    fs.fail_writes = true;
    EXPECT_EQ(travex::save_text_file(fs, "out.txt", "new"), travex::MessageId::cannot_create);
    EXPECT_EQ(travex::to_string(fs.files["out.txt"]), ";L1\r\n\r\n@theta@\r\n");
}

}  // namespace
