#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "fault_file_system.h"
#include "settings/ini_profile_store.h"

namespace travex {
namespace {

using testing::FaultFileSystem;

constexpr const char* kPath = "C:/p/TM-RZ4.INI";

class IniStore : public ::testing::Test {
protected:
    FaultFileSystem files;
    IniProfileStore store{files, kPath};
    void set(std::string_view text) { files.put(kPath, text); }
    std::string text() { return files.text(kPath); }
};

TEST_F(IniStore, FirstSectionAndFirstKeyOfANameWinAndNoFileGivesDefaults) {
    EXPECT_EQ(store.get_int("S", "k", 42), 42);
    EXPECT_EQ(store.get_string("S", "k", "d"), "d");
    set("[S]\nk=1\nk=2\n[S]\nk=3\nj=4\n");
    EXPECT_EQ(store.get_int("S", "k", 0), 1);
    // A key that only a later section of the same name holds is not seen.
    EXPECT_EQ(store.get_int("S", "j", -5), -5);
    EXPECT_EQ(store.get_int("No Section", "k", 99), 99);
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
    // Prefixes, wrapping and stray characters are also read in the tricky file above.
    const std::pair<const char*, int> cases[] = {
        {"30", 30},       {"  -1", -1}, {"+7", 7},
        {"abc", 0},       {"-", 0},     {"1F", 1},
        {"012", 12},      {"3.9", 3},   {"2147483647", INT32_MAX},
        {"0X1F", 0},         // only the lower-case prefixes choose a base
        {"4294967296", 0}};  // wraps at 32 bits
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(parse_profile_int(text), value) << text;
    }
}

TEST_F(IniStore, WritesReplaceInPlaceOrAppendToTheSectionAndKeepEveryOtherByte) {
    // {file before (none: no file), section, key, value, file after}
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
        {nullptr, "ZELTA TRAVEX", "OutBuffer", "30", "[ZELTA TRAVEX]\r\nOutBuffer=30\r\n"},
        {"[ZELTA TRAVEX]\r\nOutBuffer=30\r\n", "ZELTA TRAVEX", "CommPort", "3",
         "[ZELTA TRAVEX]\r\nOutBuffer=30\r\nCommPort=3\r\n"},
        {"; keep me\n[A]\nx=1\n\n[zelta travex]\nCommPort = 1 \nFontSize=5\n\n[B]\ny=2",
         "ZELTA TRAVEX", "commport", "4",
         "; keep me\n[A]\nx=1\n\n[zelta travex]\nCommPort=4\nFontSize=5\n\n[B]\ny=2"},
        // A new key goes at the end of its section, before blank lines.
        {"[zelta travex]\nCommPort=1\n\n[B]\ny=2\n", "ZELTA TRAVEX", "DataDir", "/d",
         "[zelta travex]\nCommPort=1\nDataDir=/d\n\n[B]\ny=2\n"},
        {"[B]\ny=2\n[S]\na=1", "S", "b", "2", "[B]\ny=2\n[S]\na=1\nb=2\n"},
        // A new section follows the old text after a blank line.
        {"[B]\r\ny=2", "S", "b", "2", "[B]\r\ny=2\r\n\r\n[S]\r\nb=2\r\n"},
    };
    for (const auto& [before, section, key, value, after] : cases) {
        files.files.clear();
        if (before != nullptr) {
            set(before);
        }
        ASSERT_TRUE(store.write_string(section, key, value)) << key;
        EXPECT_EQ(text(), after);
        EXPECT_EQ(store.get_string(section, key, "?"), value);
    }
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

}  // namespace
}  // namespace travex
