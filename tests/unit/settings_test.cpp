#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "frame/settings.h"

namespace travex {
namespace {

// A profile section in memory that reads integers the way the profile reader does (leading
// digits, an optional sign; anything else reads as 0) and records the order of writes.
class MemoryProfile : public ProfileStore {
public:
    std::map<std::string, std::string, std::less<>> values;
    std::vector<std::string> written;

    int read_int(std::string_view key, int fallback) override {
        const auto found = values.find(key);
        if (found == values.end()) {
            return fallback;
        }
        try {
            return std::stoi(found->second);
        } catch (...) {
            return 0;
        }
    }
    std::optional<std::string> read_string(std::string_view key) override {
        const auto found = values.find(key);
        if (found == values.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    void write_string(std::string_view key, std::string_view value) override {
        values[std::string(key)] = std::string(value);
        written.emplace_back(key);
    }
};

Settings read(MemoryProfile& profile, bool folders_exist = true) {
    return read_settings(profile, "C:\\Users\\u\\Desktop",
                         [folders_exist](const std::string&) { return folders_exist; });
}

TEST(Settings, ANewUserGetsTheDefaultsAndOutBufferIsWrittenAtOnce) {
    MemoryProfile profile;
    const Settings s = read(profile);
    EXPECT_EQ(s.window_limit, 30);
    EXPECT_EQ(s.model, 4);
    EXPECT_EQ(s.port_index, -1);
    EXPECT_EQ(s.font_size_index, 5);
    EXPECT_FALSE(s.start_maximised);
    EXPECT_NE(s.toolbar, 0);
    EXPECT_NE(s.keyboard, 0);
    EXPECT_EQ(s.timer_interval_ms, 100);
    EXPECT_EQ(s.retry_count, 30);
    EXPECT_EQ(s.output_buffer, 30);
    EXPECT_EQ(s.data_folder, "C:\\Users\\u\\Desktop");
    EXPECT_EQ(profile.written, std::vector<std::string>{"OutBuffer"});
    EXPECT_EQ(profile.values["OutBuffer"], "30");
}

TEST(Settings, ZeroAndNegativeLimitsFallBackButRetryCountZeroIsKept) {
    MemoryProfile profile;
    profile.values = {{"WndCount", "0"},     {"TimerInterval", "-5"}, {"RetryCount", "0"},
                      {"OutBuffer", "4096"}, {"CommPort", "3"},       {"ModelType", "1"},
                      {"WndStyle", "3"},     {"ToolBar", "0"},        {"KerBoard", "7"}};
    const Settings s = read(profile);
    EXPECT_EQ(s.window_limit, 30);
    EXPECT_EQ(s.timer_interval_ms, 100);
    EXPECT_EQ(s.retry_count, 0);
    EXPECT_EQ(s.output_buffer, 4096);
    EXPECT_TRUE(profile.written.empty()) << "a valid OutBuffer is not written back";
    EXPECT_EQ(s.port_index, 2);
    EXPECT_EQ(s.model, 4) << "any stored model runs as the newest";
    EXPECT_TRUE(s.start_maximised);
    EXPECT_EQ(s.toolbar, 0);
    EXPECT_EQ(s.keyboard, 7);
    profile.values["RetryCount"] = "-1";
    EXPECT_EQ(read(profile).retry_count, 30) << "-1 is the missing value";
    profile.values["WndCount"] = "1";
    EXPECT_EQ(read(profile).window_limit, 1);
}

TEST(Settings, FontSizeOutsideTheMenuFallsBackToTwelvePoint) {
    MemoryProfile profile;
    for (const auto& [stored, expected] :
         {std::pair{"1", 1}, {"9", 9}, {"0", 5}, {"10", 5}, {"19", 5}, {"-3", 5}, {"x", 5}}) {
        profile.values["FontSize"] = stored;
        EXPECT_EQ(read(profile).font_size_index, expected) << stored;
    }
}

TEST(Settings, DataFolderIsKeptOnlyWhileItExists) {
    MemoryProfile profile;
    profile.values["DataDir"] = "D:\\calc";
    EXPECT_EQ(read(profile, true).data_folder, "D:\\calc");
    EXPECT_EQ(read(profile, false).data_folder, "C:\\Users\\u\\Desktop");
    profile.values["DataDir"] = "";
    EXPECT_EQ(read(profile, true).data_folder, "C:\\Users\\u\\Desktop");
}

TEST(Settings, FrameCloseWritesTheKeysInOrderAndTheModelAsThree) {
    MemoryProfile profile;
    profile.values["ModelType"] = "1";
    Settings s = read(profile);
    profile.written.clear();
    s.port_index = 0;
    s.toolbar = 0;
    s.data_folder = "D:\\calc";
    write_settings(profile, s, true);
    EXPECT_EQ(profile.written,
              (std::vector<std::string>{"ModelType", "WndCount", "CommPort", "FontSize", "ToolBar",
                                        "KerBoard", "WndStyle", "DataDir"}));
    EXPECT_EQ(profile.values["ModelType"], "3");
    EXPECT_EQ(profile.values["CommPort"], "1");
    EXPECT_EQ(profile.values["ToolBar"], "0");
    EXPECT_EQ(profile.values["KerBoard"], "1");
    EXPECT_EQ(profile.values["WndStyle"], "3");
    EXPECT_EQ(profile.values["DataDir"], "D:\\calc");
    write_settings(profile, s, false);
    EXPECT_EQ(profile.values["WndStyle"], "5");
    // A second start reads back what was written.
    const Settings again = read(profile);
    EXPECT_EQ(again.port_index, 0);
    EXPECT_EQ(again.toolbar, 0);
    EXPECT_EQ(again.data_folder, "D:\\calc");
}

TEST(Settings, PortSettingAloneRoundTrips) {
    MemoryProfile profile;
    write_port_setting(profile, 4);
    EXPECT_EQ(profile.written, std::vector<std::string>{"CommPort"});
    EXPECT_EQ(profile.values["CommPort"], "5");
    EXPECT_EQ(read_port_setting(profile), 4);
    write_port_setting(profile, -1);
    EXPECT_EQ(read_port_setting(profile), -1);
}

}  // namespace
}  // namespace travex
