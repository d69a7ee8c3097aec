
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>

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

class SettingsRules : public ::testing::Test {
protected:
    FaultFileSystem files;
    IniProfileStore store{files, kIni};
    FakeFolders folders;
    void file(const std::string& body) { files.put(kIni, "[ZELTA TRAVEX]\r\n" + body); }
};

TEST_F(SettingsRules, NewUserGetsTheDefaultsAndTheFileHoldsOutBufferRightAway) {
    const Settings s = read_settings(store, folders);
    EXPECT_EQ(s.port_index, -1);
    EXPECT_EQ(s.data_folder, kDesktop);
    EXPECT_EQ(files.text(kIni), "[ZELTA TRAVEX]\r\nOutBuffer=30\r\n");
}

TEST_F(SettingsRules, NonPositiveLimitsAndIntervalsFallBackButZeroRetriesStay) {
    // {file, WndCount, TimerInterval, RetryCount, OutBuffer}; only exactly -1 means "not set".
    const std::tuple<const char*, int, int, int, int> cases[] = {
        {"WndCount=0\r\nTimerInterval=-4\r\nRetryCount=0\r\nOutBuffer=0\r\n", 30, 100, 0, 30},
        {"WndCount=1\r\nTimerInterval=1\r\nRetryCount=-2\r\nOutBuffer=1\r\n", 1, 1, -2, 1},
        {"RetryCount=-1\r\nOutBuffer=64\r\n", 30, 100, 30, 64}};
    for (const auto& [body, window_limit, interval, retries, out_buffer] : cases) {
        file(body);
        const Settings s = read_settings(store, folders);
        EXPECT_EQ(s.window_limit, window_limit) << body;
        EXPECT_EQ(s.timer_interval_ms, interval) << body;
        EXPECT_EQ(s.retry_count, retries) << body;
        EXPECT_EQ(s.out_buffer, out_buffer) << body;
        EXPECT_EQ(store.get_int("ZELTA TRAVEX", "OutBuffer", 0), out_buffer) << body;
    }
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

TEST_F(SettingsRules, FrameCloseWritesItsKeysAndLeavesTheLinksTuningAsTheUserSetIt) {
    file(
        "ModelType=1\r\nToolBar=7\r\nKerBoard=0\r\nCommPort=3\r\nFontSize=9\r\nWndCount=12\r\n"
        "TimerInterval=50\r\nRetryCount=4\r\nOutBuffer=20\r\nDataDir=/data/progs\r\n");
    const Settings s = read_settings(store, folders);
    EXPECT_EQ(s.port_index, 2);
    EXPECT_EQ(s.model, 4) << "always the newest model; written back as 3";
    write_settings(store, s);
    EXPECT_EQ(files.text(kIni),
              "[ZELTA TRAVEX]\r\nModelType=3\r\nToolBar=7\r\nKerBoard=0\r\nCommPort=3\r\n"
              "FontSize=9\r\nWndCount=12\r\nTimerInterval=50\r\nRetryCount=4\r\nOutBuffer=20\r\n"
              "DataDir=/data/progs\r\nWndStyle=5\r\n");
}

// The same file and answers as the Wine check of the Win32 profile functions.
TEST_F(SettingsRules, ReadsATrickyFileLikeTheProfileFunctions) {
    files.put(kIni,
              "; c\r\n[other]\r\nWndCount=7\r\n  [ zelta travex ]  \r\n  wndcount = 12  \r\n"
              "DataDir = \"C:\\My Data\" \r\nmixed=12abc\r\nempty=\r\nbare\r\nhalf=\"x\r\n"
              "hex=0x1F\r\nupper=0X1F\r\nbig=4294967295\r\n[ZELTA TRAVEX]\r\nlate=5\r\n");
    // clang-format off
    const std::tuple<const char*, int, const char*> expected[] = {
        {"WNDCOUNT", 12, "12"}, {"DataDir", 0, "C:\\My Data"}, {"mixed", 12, "12abc"}, {"empty", -777, ""},
        {"bare", -777, "dflt"}, {"half", 0, "\"x"}, {"hex", 31, "0x1F"}, {"upper", 0, "0X1F"},
        {"big", -1, "4294967295"}, {"late", -777, "dflt"},
    };
    // clang-format on
    for (const auto& [key, number, text] : expected) {
        EXPECT_EQ(store.get_int("ZELTA TRAVEX", key, -777), number) << key;
        EXPECT_EQ(store.get_string("ZELTA TRAVEX", key, "dflt"), text) << key;
    }
}

TEST_F(SettingsRules, WritesReplaceInPlaceOrAppendToTheSectionAndKeepEveryOtherByte) {
    // {file before, section, key, value, file after}
    const std::tuple<const char*, const char*, const char*, const char*, const char*> cases[] = {
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
        files.put(kIni, before);
        ASSERT_TRUE(store.write_string(section, key, value)) << key;
        EXPECT_EQ(files.text(kIni), after);
        EXPECT_EQ(store.get_string(section, key, "?"), value);
    }
}

TEST_F(SettingsRules, RefusesWritesThatWouldBreakTheFileAndReportsFailedWrites) {
    files.put(kIni, "[S]\nk=1\n");
    EXPECT_FALSE(store.write_string("S", "k", "1\r\n[T]"));
    EXPECT_FALSE(store.write_string("S", "a=b", "1"));
    EXPECT_FALSE(store.write_string("", "k", "1"));
    EXPECT_EQ(files.text(kIni), "[S]\nk=1\n");
    files.fail_writes = true;
    EXPECT_FALSE(store.write_string("S", "k", "2"));
    EXPECT_EQ(store.get_int("S", "k", 0), 1);
}

}  // namespace
}  // namespace travex
