#include "codec/text_file.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/text_limits.h"
#include "fake_file_system.h"

namespace {

using travex::to_bytes;
using travex::testing::FakeFileSystem;

// A 54-byte header: model digit, type letter, name of spaces, title, zero.
std::string header(char digit, char letter, const std::string& title = "") {
    std::string h = std::string{digit, letter} + std::string(11, ' ') + title;
    h.resize(54, '\0');
    return h;
}

// The list L1 holding count elements of 1 (the count field says so too).
std::string list_body(int count = 2) {
    std::string body = std::string("\x10\x08\x00", 3) + static_cast<char>(count & 0xFF) +
                       static_cast<char>(count >> 8) + std::string(2, '\0');
    for (int i = 0; i < count; ++i) {
        body += std::string("\x00\x00\x10\x00\x00\x00\x00\x00\x00", 9);
    }
    return body;
}

TEST(TextFileOpen, MessagesOfEveryRefusal) {
    FakeFileSystem fs;
    const std::string list = list_body();
    // 62 bytes of a data file are no data; a program needs only its header.
    const std::pair<std::string, std::string> files[] = {
        {"digit.g6l", header('4', 'l') + list},
        {"letter.g6l", header('6', 'm') + list},
        {"short.g6p", "6p"},
        {"a.g6s", header('6', 's') + list},
        {"a.g3l", header('3', 'l') + list},
        {"Screen image 1", header('6', 'l') + list},
        {"small.g6t", header('6', 't') + std::string(8, '\0')},
        {"tiny.g6v", "6v"},
        {"big.txt", std::string(travex::kMaxConvertedText + 1, 'x')},
    };
    for (const auto& [name, contents] : files) {
        fs.put(name, to_bytes(contents));
    }
    const std::pair<const char*, int> cases[] = {
        {"digit.g6l", 415}, {"letter.g6l", 415},     {"short.g6p", 415}, {"a.g6s", 415},
        {"a.g3l", 415},     {"Screen image 1", 415}, {"none.g6l", 410},  {"none.txt", 410},
        {"small.g6t", 421}, {"tiny.g6v", 421},       {"big.txt", 400},
    };
    for (const auto& [name, message] : cases) {
        EXPECT_EQ(travex::open_as_text(fs, name).message, message) << name;
    }
    // An export far over the text limit: 6,000 elements of -1.2345678901234E-99.
    std::string body("\x10\x08\x00\x70\x17\x00\x00", 7);
    for (int i = 0; i < 6000; ++i) {
        body += std::string("\x90\x11\x12\x34\x56\x78\x90\x12\x34", 9);
    }
    fs.put("big.g6l", to_bytes(header('6', 'l') + body));
    EXPECT_EQ(travex::open_as_text(fs, "big.g6l").message, travex::kMessageNoMemory);
}

TEST(TextFileOpen, TextAndTitleOfEveryKind) {
    FakeFileSystem fs;
    fs.put("a\\list.g6l", to_bytes(header('6', 'l', std::string(40, 'T')) + list_body()));
    fs.put("B.G4L", to_bytes(header('4', 'L') + list_body()));
    fs.put("enough.g6t", to_bytes(header('6', 't') + std::string(9, '\0')));
    fs.put("empty.g6p", to_bytes(header('6', 'p', "Prog")));
    fs.put("t.TXT", to_bytes("A@theta@B"));
    fs.put("fits.txt", to_bytes(std::string(travex::kMaxConvertedText, 'x')));
    struct Case {
        const char* path;
        travex::FileKind kind;
        std::string title, text;
    };
    const Case cases[] = {
        {"a\\list.g6l", travex::FileKind::list, std::string(40, 'T'), ";L1\r\n\r\n1\r\n1\r\n"},
        {"B.G4L", travex::FileKind::list, "", ";L1\r\n\r\n1\r\n1\r\n"},
        {"enough.g6t", travex::FileKind::table_setup, "", ";TABLE SETUP\r\n\r\nTblStart   0\r\n"},
        {"empty.g6p", travex::FileKind::program, "Prog", ""},
        {"t.TXT", travex::FileKind::text, "",
         "A\xA9"
         "B"},
        {"fits.txt", travex::FileKind::text, "", std::string(travex::kMaxConvertedText, 'x')},
    };
    for (const Case& c : cases) {
        const auto result = travex::open_as_text(fs, c.path);
        ASSERT_TRUE(result.ok()) << c.path << " " << result.message;
        EXPECT_EQ(result.opened.kind, c.kind) << c.path;
        EXPECT_EQ(result.opened.title, c.title) << c.path;
        EXPECT_EQ(result.opened.text, c.text) << c.path;
    }
}

TEST(TextFileOpen, BodyReadUpTo61440Bytes) {
    // Of 7,000 elements only those within the first 61,440 body bytes are shown, 6,825 of them
    // (7 + 9 * 6825 = 61,432; one more would end at 61,441).
    FakeFileSystem fs;
    fs.put("long.g6l", to_bytes(header('6', 'l') + list_body(7000)));
    const auto result = travex::open_as_text(fs, "long.g6l");
    ASSERT_TRUE(result.ok());
    std::string want = ";L1\r\n\r\n";
    for (int i = 0; i < 6825; ++i) {
        want += "1\r\n";
    }
    EXPECT_EQ(result.opened.text, want);
}

TEST(TextFileSave, EncodedWithoutHeaderAndNeverOverAnOldFile) {
    FakeFileSystem fs;
    EXPECT_EQ(travex::save_text_file(fs, "out.txt", ";L1\r\n\r\n\xA9\r\n"), 0);
    EXPECT_EQ(travex::to_string(fs.files["out.txt"]), ";L1\r\n\r\n@theta@\r\n");
    // Room for the encoded text ("@theta@", 7 bytes) and 94 more is needed.
    fs.free_bytes = 7 + 94 - 1;
    EXPECT_EQ(travex::save_text_file(fs, "a.txt", "\xA9"), travex::kMessageDiskFull);
    EXPECT_FALSE(fs.exists("a.txt"));
    fs.free_bytes = 7 + 94;
    EXPECT_EQ(travex::save_text_file(fs, "a.txt", "\xA9"), 0);
    EXPECT_EQ(travex::save_text_file(fs, std::string(256, 'p'), "x"), travex::kMessageNameTooLong);
    EXPECT_EQ(travex::save_text_file(fs, std::string(255, 'p'), "x"), 0);
    fs.fail_writes = true;
    EXPECT_EQ(travex::save_text_file(fs, "out.txt", "new"), travex::kMessageCannotCreate);
    EXPECT_EQ(travex::to_string(fs.files["out.txt"]), ";L1\r\n\r\n@theta@\r\n");
}

}  // namespace
