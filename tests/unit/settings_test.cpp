#include <gtest/gtest.h>

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

}  // namespace
}  // namespace travex
