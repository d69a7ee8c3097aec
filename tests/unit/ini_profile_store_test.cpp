#include <gtest/gtest.h>

#include <filesystem>

#include "frame/ini_profile_store.h"
#include "memory_file_system.h"

namespace travex {
namespace {

using testing::MemoryFileSystem;

constexpr const char* kPath = "C:/p/TM-RZ4.INI";

class IniStore : public ::testing::Test {
protected:
    MemoryFileSystem files;
    IniProfileStore store{files, kPath};
    void set(std::string text) { files.files[kPath] = std::move(text); }
    const std::string& text() { return files.files[kPath]; }
};

TEST_F(IniStore, SectionsAndKeysAreFoundWithoutRegardToCaseAndBlanks) {
    set("; settings\r\n[other]\r\nWndCount=7\r\n  [ zelta travex ]  \r\n  wndcount = 12  \r\n"
        "DataDir = \"C:\\My Data\" \r\n");
    EXPECT_EQ(store.get_int("ZELTA TRAVEX", "WndCount", -1), 12);
    EXPECT_EQ(store.get_int("Zelta Travex", "WNDCOUNT", -1), 12);
    EXPECT_EQ(store.get_string("ZELTA TRAVEX", "DataDir", "x"), "C:\\My Data");
    EXPECT_EQ(store.get_int("ZELTA TRAVEX", "Missing", -1), -1);
    EXPECT_EQ(store.get_string("ZELTA TRAVEX", "Missing", "dflt"), "dflt");
    EXPECT_EQ(store.get_int("No Section", "WndCount", 99), 99);
}

TEST_F(IniStore, FirstSectionAndFirstKeyOfANameWin) {
    set("[S]\nk=1\nk=2\n[S]\nk=3\nj=4\n");
    EXPECT_EQ(store.get_int("S", "k", 0), 1);
    // A key that only a later section of the same name holds is not seen.
    EXPECT_EQ(store.get_int("S", "j", -5), -5);
}

TEST_F(IniStore, MissingOrEmptyValuesGiveTheDefaultAndKeysWithoutValueAreEmpty) {
    EXPECT_EQ(store.get_int("S", "k", 42), 42);  // no file at all
    set("[S]\nempty=\nbare\nquoted=\"\"\n");
    EXPECT_EQ(store.get_int("S", "empty", 42), 42);
    EXPECT_EQ(store.get_int("S", "quoted", 42), 42);
    EXPECT_EQ(store.get_string("S", "bare", "d"), "d");  // a key without "=" holds no value
    EXPECT_EQ(store.get_int("S", "bare", 42), 42);
    EXPECT_EQ(store.get_string("S", "empty", "d"), "");
}

// The same file and answers as the Wine check of the Win32 profile functions.
TEST_F(IniStore, ReadsATrickyFileLikeTheProfileFunctions) {
    set("; c\r\n[other]\r\nWndCount=7\r\n  [ zelta travex ]  \r\n  wndcount = 12  \r\n"
        "DataDir = \"C:\\My Data\" \r\nneg=-1\r\nmixed=12abc\r\nempty=\r\nbare\r\nquoted=\"\"\r\n"
        "single='x'\r\nhalf=\"x\r\nhex=0x1F\r\nupper=0X1F\r\nmhex=-0x10\r\noct=0o17\r\n"
        "bin=0b102\r\nbig=4294967295\r\n[ZELTA TRAVEX]\r\nlate=5\r\n");
    const struct {
        const char* key;
        int number;
        const char* text;
    } expected[] = {
        {"WNDCOUNT", 12, "12"},    {"DataDir", 0, "C:\\My Data"},
        {"neg", -1, "-1"},         {"mixed", 12, "12abc"},
        {"empty", -777, ""},       {"bare", -777, "dflt"},
        {"quoted", -777, ""},      {"single", 0, "x"},
        {"half", 0, "\"x"},        {"hex", 31, "0x1F"},
        {"upper", 0, "0X1F"},      {"mhex", -16, "-0x10"},
        {"oct", 15, "0o17"},       {"bin", 2, "0b102"},
        {"big", -1, "4294967295"}, {"late", -777, "dflt"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(store.get_int("ZELTA TRAVEX", e.key, -777), e.number) << e.key;
        EXPECT_EQ(store.get_string("ZELTA TRAVEX", e.key, "dflt"), e.text) << e.key;
    }
}

TEST(ProfileInt, ReadsLikeTheProfileIntegerReader) {
    EXPECT_EQ(parse_profile_int("30"), 30);
    EXPECT_EQ(parse_profile_int("  -1"), -1);
    EXPECT_EQ(parse_profile_int("+7"), 7);
    EXPECT_EQ(parse_profile_int("12abc"), 12);
    EXPECT_EQ(parse_profile_int("abc"), 0);
    EXPECT_EQ(parse_profile_int("-"), 0);
    EXPECT_EQ(parse_profile_int("0x1F"), 31);
    EXPECT_EQ(parse_profile_int("-0x10"), -16);
    EXPECT_EQ(parse_profile_int("0o17"), 15);
    EXPECT_EQ(parse_profile_int("0b102"), 2);
    EXPECT_EQ(parse_profile_int("0X1F"), 0);  // only the lower-case prefixes choose a base
    EXPECT_EQ(parse_profile_int("1F"), 1);
    EXPECT_EQ(parse_profile_int("012"), 12);
    EXPECT_EQ(parse_profile_int("3.9"), 3);
    EXPECT_EQ(parse_profile_int("2147483647"), 2147483647);
    EXPECT_EQ(parse_profile_int("4294967295"), -1);  // wraps at 32 bits
    EXPECT_EQ(parse_profile_int("4294967296"), 0);
}

TEST_F(IniStore, WritingANewFileMakesTheSectionWithWindowsLineEnds) {
    ASSERT_TRUE(store.write_string("ZELTA TRAVEX", "OutBuffer", "30"));
    EXPECT_EQ(text(), "[ZELTA TRAVEX]\r\nOutBuffer=30\r\n");
    ASSERT_TRUE(store.write_string("ZELTA TRAVEX", "CommPort", "3"));
    EXPECT_EQ(text(), "[ZELTA TRAVEX]\r\nOutBuffer=30\r\nCommPort=3\r\n");
    EXPECT_EQ(store.get_int("ZELTA TRAVEX", "CommPort", 0), 3);
}

TEST_F(IniStore, ReplacingAValueKeepsEveryOtherByte) {
    set("; keep me\n[A]\nx=1\n\n[zelta travex]\nCommPort = 1 \nFontSize=5\n\n[B]\ny=2");
    ASSERT_TRUE(store.write_string("ZELTA TRAVEX", "commport", "4"));
    EXPECT_EQ(text(), "; keep me\n[A]\nx=1\n\n[zelta travex]\nCommPort=4\nFontSize=5\n\n[B]\ny=2");
}

TEST_F(IniStore, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    set("[zelta travex]\nCommPort=1\n\n[B]\ny=2\n");
    ASSERT_TRUE(store.write_string("ZELTA TRAVEX", "DataDir", "/home/u/Desktop"));
    EXPECT_EQ(text(), "[zelta travex]\nCommPort=1\nDataDir=/home/u/Desktop\n\n[B]\ny=2\n");
    // The section being the last one, without a final line end.
    set("[B]\ny=2\n[S]\na=1");
    ASSERT_TRUE(store.write_string("S", "b", "2"));
    EXPECT_EQ(text(), "[B]\ny=2\n[S]\na=1\nb=2\n");
    // A new section follows the old text after a blank line.
    set("[B]\r\ny=2");
    ASSERT_TRUE(store.write_string("S", "b", "2"));
    EXPECT_EQ(text(), "[B]\r\ny=2\r\n\r\n[S]\r\nb=2\r\n");
}

TEST_F(IniStore, RefusesWritesThatWouldBreakTheFileAndReportsFailedWrites) {
    set("[S]\nk=1\n");
    EXPECT_FALSE(store.write_string("S", "k", "1\r\n[T]"));
    EXPECT_FALSE(store.write_string("S", "a=b", "1"));
    EXPECT_FALSE(store.write_string("", "k", "1"));
    EXPECT_EQ(text(), "[S]\nk=1\n");
    files.fail_writes = true;
    EXPECT_FALSE(store.write_string("S", "k", "2"));
    EXPECT_EQ(store.get_int("S", "k", 0), 1);
}

TEST(IniStoreOnDisk, WritesThroughTheRealFileSystemAndRereadsTheFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "travex-ini-store-test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "TM-RZ4.INI").string();
    IniProfileStore a(real_file_system(), path);
    IniProfileStore b(real_file_system(), path);
    ASSERT_TRUE(a.write_string("ZELTA TRAVEX", "WndStyle", "3"));
    EXPECT_EQ(b.get_int("ZELTA TRAVEX", "WndStyle", 5), 3);  // every read sees the file as it is
    ASSERT_TRUE(b.write_string("ZELTA TRAVEX", "WndStyle", "5"));
    EXPECT_EQ(a.get_int("ZELTA TRAVEX", "WndStyle", 3), 5);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);
    // A folder that does not exist cannot take the file; the failure is reported.
    IniProfileStore nowhere(real_file_system(), (dir / "missing" / "x.ini").string());
    EXPECT_FALSE(nowhere.write_string("S", "k", "1"));
    fs::remove_all(dir);
}

}  // namespace
}  // namespace travex
