#include "codec/text_file.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "codec/text_limits.h"
#include "fake_file_system.h"

namespace {

using travex::Bytes;

using MemoryFileSystem = travex::testing::FakeFileSystem;

// A 54-byte header: model digit, type letter, name, title, zero.
std::string header(char digit, char letter, const std::string& title) {
    std::string h(54, '\0');
    h[0] = digit;
    h[1] = letter;
    for (int i = 2; i < 13; ++i) {
        h[static_cast<std::size_t>(i)] = ' ';
    }
    h.replace(13, title.size(), title);
    return h;
}

// The list L1 holding 1 and 2.
std::string list_body() {
    return std::string("\x10\x08\x00\x02\x00\x00\x00", 7) + std::string("\x00\x00\x10", 3) +
           std::string(6, '\0') + std::string("\x00\x00\x20", 3) + std::string(6, '\0');
}

TEST(TextFileOpen, DataFileWithTitle) {
    MemoryFileSystem fs;
    fs.put("a\\list.g6l", travex::to_bytes(header('6', 'l', "List file data") + list_body()));
    fs.put("B.G4L", travex::to_bytes(header('4', 'L', "") + list_body()));
    auto result = travex::open_as_text(fs, "a\\list.g6l");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.opened.kind, travex::FileKind::list);
    EXPECT_EQ(result.opened.title, "List file data");
    EXPECT_EQ(result.opened.text, ";L1\r\n\r\n1\r\n2\r\n");
    result = travex::open_as_text(fs, "B.G4L");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.opened.text, ";L1\r\n\r\n1\r\n2\r\n");
}

TEST(TextFileOpen, TitleFillingTheWholeField) {
    MemoryFileSystem fs;
    const std::string title(40, 'T');
    fs.put("x.g6l", travex::to_bytes(header('6', 'l', title) + list_body()));
    EXPECT_EQ(travex::open_as_text(fs, "x.g6l").opened.title, title);
}

TEST(TextFileOpen, HeaderMustMatchTheName) {
    MemoryFileSystem fs;
    fs.put("digit.g6l", travex::to_bytes(header('4', 'l', "") + list_body()));
    fs.put("letter.g6l", travex::to_bytes(header('6', 'm', "") + list_body()));
    fs.put("short.g6p", travex::to_bytes(std::string("6p", 2)));
    EXPECT_EQ(travex::open_as_text(fs, "digit.g6l").message, travex::kMessageCannotRead);
    EXPECT_EQ(travex::open_as_text(fs, "letter.g6l").message, travex::kMessageCannotRead);
    EXPECT_EQ(travex::open_as_text(fs, "short.g6p").message, travex::kMessageCannotRead);
}

TEST(TextFileOpen, KindsThatAreNotText) {
    MemoryFileSystem fs;
    for (const char* name : {"a.g6s", "a.g6i", "a.bmp", "a.g3l", "a.g6g", "Screen image 1", "a"}) {
        fs.put(name, travex::to_bytes(header('6', 's', "") + list_body()));
        EXPECT_EQ(travex::open_as_text(fs, name).message, travex::kMessageCannotRead) << name;
    }
}

TEST(TextFileOpen, MissingFileAndEmptyDataFile) {
    MemoryFileSystem fs;
    EXPECT_EQ(travex::open_as_text(fs, "none.g6l").message, travex::kMessageAccessFailed);
    EXPECT_EQ(travex::open_as_text(fs, "none.txt").message, travex::kMessageAccessFailed);
    // Data files must be longer than 62 bytes; a program needs only its header.
    fs.put("small.g6t", travex::to_bytes(header('6', 't', "") + std::string(8, '\0')));
    fs.put("enough.g6t", travex::to_bytes(header('6', 't', "") + std::string(9, '\0')));
    fs.put("empty.g6p", travex::to_bytes(header('6', 'p', "Prog")));
    fs.put("tiny.g6v", travex::to_bytes("6v"));
    EXPECT_EQ(travex::open_as_text(fs, "small.g6t").message, travex::kMessageNoData);
    EXPECT_EQ(travex::open_as_text(fs, "tiny.g6v").message, travex::kMessageNoData);
    const auto enough = travex::open_as_text(fs, "enough.g6t");
    ASSERT_TRUE(enough.ok());
    EXPECT_EQ(enough.opened.text, ";TABLE SETUP\r\n\r\nTblStart   0\r\n");
    const auto empty = travex::open_as_text(fs, "empty.g6p");
    ASSERT_TRUE(empty.ok());
    EXPECT_EQ(empty.opened.text, "");
    EXPECT_EQ(empty.opened.title, "Prog");
}

TEST(TextFileOpen, TextFilesDecodeEscapes) {
    MemoryFileSystem fs;
    fs.put("t.TXT", travex::to_bytes("A@theta@B"));
    const auto result = travex::open_as_text(fs, "t.TXT");
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.opened.kind, travex::FileKind::text);
    EXPECT_EQ(result.opened.text,
              "A\xA9"
              "B");
    EXPECT_EQ(result.opened.title, "");
    // A text longer than a converted text may be is refused whole.
    fs.put("big.txt", travex::to_bytes(std::string(travex::kMaxConvertedText + 1, 'x')));
    EXPECT_EQ(travex::open_as_text(fs, "big.txt").message, travex::kMessageNoMemory);
    fs.put("fits.txt", travex::to_bytes(std::string(travex::kMaxConvertedText, 'x')));
    EXPECT_TRUE(travex::open_as_text(fs, "fits.txt").ok());
}

TEST(TextFileOpen, BodyReadUpTo61440Bytes) {
    MemoryFileSystem fs;
    // A list of 7,000 ones: only the elements within the first 61,440 body bytes are shown,
    // 6,825 of them (7 + 9 * 6825 = 61,432; one more would end at 61,441).
    std::string body("\x10\x08\x00\x58\x1B\x00\x00", 7);
    const std::string one("\x00\x00\x10\x00\x00\x00\x00\x00\x00", 9);
    for (int i = 0; i < 7000; ++i) {
        body += one;
    }
    fs.put("long.g6l", travex::to_bytes(header('6', 'l', "") + body));
    const auto result = travex::open_as_text(fs, "long.g6l");
    ASSERT_TRUE(result.ok());
    std::string want = ";L1\r\n\r\n";
    for (int i = 0; i < 6825; ++i) {
        want += "1\r\n";
    }
    EXPECT_EQ(result.opened.text, want);
}

TEST(TextFileOpen, ExportBeyondTheTextLimitIsRefused) {
    MemoryFileSystem fs;
    // 6,000 elements of -1.2345678901234E-99 make a text far over the limit.
    std::string body("\x10\x08\x00\x70\x17\x00\x00", 7);
    const std::string element("\x90\x11\x12\x34\x56\x78\x90\x12\x34", 9);
    for (int i = 0; i < 6000; ++i) {
        body += element;
    }
    fs.put("big.g6l", travex::to_bytes(header('6', 'l', "") + body));
    EXPECT_EQ(travex::open_as_text(fs, "big.g6l").message, travex::kMessageNoMemory);
}

TEST(TextFileSave, EncodesAndWritesWithoutHeader) {
    MemoryFileSystem fs;
    EXPECT_EQ(travex::save_text_file(fs, "out.txt", ";L1\r\n\r\n\xA9\r\n"), 0);
    EXPECT_EQ(travex::to_string(fs.files["out.txt"]), ";L1\r\n\r\n@theta@\r\n");
}

TEST(TextFileSave, FreeSpaceIsTheEncodedLengthPlus94) {
    MemoryFileSystem fs;
    const std::string text = "\xA9";  // written as the 7 bytes "@theta@"
    fs.free_bytes = 7 + 94 - 1;
    EXPECT_EQ(travex::save_text_file(fs, "a.txt", text), travex::kMessageDiskFull);
    EXPECT_FALSE(fs.exists("a.txt"));
    fs.free_bytes = 7 + 94;
    EXPECT_EQ(travex::save_text_file(fs, "a.txt", text), 0);
}

TEST(TextFileSave, LongPathsAndFailedWrites) {
    MemoryFileSystem fs;
    EXPECT_EQ(travex::save_text_file(fs, std::string(256, 'p'), "x"), travex::kMessageNameTooLong);
    EXPECT_EQ(travex::save_text_file(fs, std::string(255, 'p'), "x"), 0);
    fs.put("old.txt", travex::to_bytes("old"));
    fs.fail_writes = true;
    EXPECT_EQ(travex::save_text_file(fs, "old.txt", "new"), travex::kMessageCannotCreate);
    EXPECT_EQ(travex::to_string(fs.files["old.txt"]), "old");
}

}  // namespace
