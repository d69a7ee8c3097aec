
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "fault_file_system.h"
#include "settings/ini_profile_store.h"
#include "settings/settings.h"

namespace travex {
namespace {

using testing::FaultFileSystem;

constexpr const char* kIni = "/cfg/TM-RZ4.INI";
constexpr const char* kDesktop = "/home/user/Desktop";

class FakeFolders final : public FolderQueries {
public:
    std::set<std::string> existing{kDesktop, "/data/progs"};
    bool folder_exists(const std::string& path) override { return existing.count(path) != 0; }
    std::string desktop_folder() override { return kDesktop; }
};

// Records every write in order, on top of an INI store.
class RecordingStore final : public ProfileStore {
public:
    explicit RecordingStore(ProfileStore& inner) : inner_(inner) {}
    std::vector<std::pair<std::string, std::string>> writes;
    int get_int(std::string_view s, std::string_view k, int d) override {
        return inner_.get_int(s, k, d);
    }
    std::string get_string(std::string_view s, std::string_view k, std::string_view d) override {
        return inner_.get_string(s, k, d);
    }
    bool write_string(std::string_view s, std::string_view k, std::string_view v) override {
        EXPECT_EQ(s, "ZELTA TRAVEX");
        writes.emplace_back(std::string(k), std::string(v));
        return inner_.write_string(s, k, v);
    }

private:
    ProfileStore& inner_;
};

class SettingsRules : public ::testing::Test {
protected:
    FaultFileSystem files;
    IniProfileStore ini{files, kIni};
    RecordingStore store{ini};
    FakeFolders folders;
    void file(const std::string& body) { files.put(kIni, "[ZELTA TRAVEX]\r\n" + body); }
    int stored(const char* key) { return ini.get_int("ZELTA TRAVEX", key, -12345); }
};

TEST_F(SettingsRules, NewUserGetsTheDefaultsAndTheFileHoldsOutBufferRightAway) {
    const Settings s = read_settings(store, folders);
    EXPECT_EQ(s.port_index, -1);
    EXPECT_EQ(s.data_folder, kDesktop);
    // Reading writes exactly one key: OutBuffer.
    ASSERT_EQ(store.writes.size(), 1u);
    EXPECT_EQ(store.writes[0], (std::pair<std::string, std::string>{"OutBuffer", "30"}));
    EXPECT_EQ(files.text(kIni), "[ZELTA TRAVEX]\r\nOutBuffer=30\r\n");
}

TEST_F(SettingsRules, NonPositiveLimitsAndIntervalsFallBackButZeroRetriesStay) {
    // {file, WndCount, TimerInterval, RetryCount, OutBuffer, OutBuffer rewritten}; only exactly -1
    // means "not set".
    const std::tuple<const char*, int, int, int, int, bool> cases[] = {
        {"WndCount=0\r\nTimerInterval=-4\r\nRetryCount=0\r\nOutBuffer=0\r\n", 30, 100, 0, 30, true},
        {"WndCount=1\r\nTimerInterval=1\r\nRetryCount=-2\r\nOutBuffer=1\r\n", 1, 1, -2, 1, false},
        {"RetryCount=-1\r\nOutBuffer=64\r\n", 30, 100, 30, 64, false}};
    for (const auto& [body, window_limit, interval, retries, out_buffer, rewritten] : cases) {
        file(body);
        store.writes.clear();
        const Settings s = read_settings(store, folders);
        EXPECT_EQ(s.window_limit, window_limit) << body;
        EXPECT_EQ(s.timer_interval_ms, interval) << body;
        EXPECT_EQ(s.retry_count, retries) << body;
        EXPECT_EQ(s.out_buffer, out_buffer) << body;
        EXPECT_EQ(stored("OutBuffer"), out_buffer) << body;
        EXPECT_EQ(store.writes.size(), rewritten ? 1u : 0u) << body;
    }
}

TEST_F(SettingsRules, LinkTraceIsReadAsGivenAndNeverWrittenBack) {
    EXPECT_EQ(read_settings(store, folders).link_trace, "");
    file("LinkTrace=C:\\bug\\trace.txt\r\nOutBuffer=30\r\n");
    Settings s = read_settings(store, folders);
    EXPECT_EQ(s.link_trace, "C:\\bug\\trace.txt");
    s.link_trace = "other.txt";
    write_settings(store, s);
    EXPECT_NE(files.text(kIni).find("LinkTrace=C:\\bug\\trace.txt"), std::string::npos);
    EXPECT_EQ(files.text(kIni).find("other.txt"), std::string::npos);
}

TEST_F(SettingsRules, DataFolderIsUsedOnlyWhenItExists) {
    // A folder name longer than the path buffers would be cut to another folder: not used.
    const std::string deep = "/" + std::string(kDataFolderMaxLength, 'd');
    folders.existing.insert(deep);
    const std::pair<std::string, std::string> cases[] = {
        {"/data/progs", "/data/progs"}, {"/data/gone", kDesktop}, {"", kDesktop}, {deep, kDesktop}};
    for (const auto& [data_dir, used] : cases) {
        file("DataDir=" + data_dir + "\r\n");
        EXPECT_EQ(read_settings(store, folders).data_folder, used) << data_dir;
    }
}

TEST_F(SettingsRules, FrameCloseWritesItsKeysInOrderAndKeepsFlagsAsRead) {
    file(
        "ModelType=1\r\nToolBar=7\r\nKerBoard=0\r\nCommPort=3\r\nFontSize=9\r\nWndCount=12\r\n"
        "TimerInterval=50\r\nRetryCount=4\r\nOutBuffer=20\r\nDataDir=/data/progs\r\n");
    const Settings s = read_settings(store, folders);
    EXPECT_EQ(s.port_index, 2);
    EXPECT_EQ(s.model, 4) << "always the newest model; written back as 3";
    store.writes.clear();
    write_settings(store, s);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ModelType", "3"}, {"WndCount", "12"}, {"CommPort", "3"}, {"FontSize", "9"},
        {"ToolBar", "7"},   {"KerBoard", "0"},  {"WndStyle", "5"}, {"DataDir", "/data/progs"}};
    EXPECT_EQ(store.writes, expected);
    // Never written by the frame: the link's own tuning keys stay as the user set them.
    EXPECT_EQ(stored("TimerInterval"), 50);
    EXPECT_EQ(stored("RetryCount"), 4);
    EXPECT_EQ(stored("OutBuffer"), 20);
}

TEST_F(SettingsRules, WriteFailuresAreIgnored) {
    files.fail_writes = true;
    const Settings s = read_settings(store, folders);
    EXPECT_EQ(s.out_buffer, 30);
    write_settings(store, s);
    EXPECT_EQ(files.files.count(kIni), 0u);
}

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
