#include "settings/settings.h"

#include <string>

namespace travex {
namespace {

constexpr std::string_view kWndCount = "WndCount";
constexpr std::string_view kModelType = "ModelType";
constexpr std::string_view kCommPort = "CommPort";
constexpr std::string_view kFontSize = "FontSize";
constexpr std::string_view kWndStyle = "WndStyle";
constexpr std::string_view kToolBar = "ToolBar";
constexpr std::string_view kKerBoard = "KerBoard";
constexpr std::string_view kTimerInterval = "TimerInterval";
constexpr std::string_view kDataDir = "DataDir";
constexpr std::string_view kRetryCount = "RetryCount";
constexpr std::string_view kOutBuffer = "OutBuffer";
constexpr std::string_view kLinkTrace = "LinkTrace";

constexpr int kDefaultWindowLimit = 30;
constexpr int kDefaultTimerInterval = 100;
constexpr int kDefaultRetryCount = 30;
constexpr int kDefaultOutBuffer = 30;

int read(ProfileStore& store, std::string_view key, int default_value) {
    return store.get_int(kSettingsSection, key, default_value);
}

void write(ProfileStore& store, std::string_view key, int value) {
    store.write_string(kSettingsSection, key, std::to_string(value));
}

}  // namespace

Settings read_settings(ProfileStore& store, FolderQueries& folders) {
    Settings s;
    const int window_limit = read(store, kWndCount, -1);
    s.window_limit = window_limit <= 0 ? kDefaultWindowLimit : window_limit;
    // Whatever model the file names, the application works as the newest one.
    read(store, kModelType, 3);
    s.model = kModelInForce;
    s.port_index = read(store, kCommPort, 0) - 1;
    const int font_size = read(store, kFontSize, 5);
    // An index outside the table would pick no font size at all; the default stands in.
    s.font_size_index =
        font_size < kFontSizeIndexMin || font_size > kFontSizeIndexMax ? 5 : font_size;
    s.maximised = read(store, kWndStyle, kWndStyleNormal) == kWndStyleMaximised;
    s.toolbar = read(store, kToolBar, 1);
    s.keyboard = read(store, kKerBoard, 1);
    const int timer = read(store, kTimerInterval, -1);
    s.timer_interval_ms = timer <= 0 ? kDefaultTimerInterval : timer;

    const std::string desktop = folders.desktop_folder();
    const std::string stored = store.get_string(kSettingsSection, kDataDir, desktop);
    s.data_folder =
        !stored.empty() && stored.size() <= kDataFolderMaxLength && folders.folder_exists(stored)
            ? stored
            : desktop;

    const int retry = read(store, kRetryCount, -1);
    s.retry_count = retry == -1 ? kDefaultRetryCount : retry;
    const int out_buffer = read(store, kOutBuffer, -1);
    if (out_buffer <= 0) {
        s.out_buffer = kDefaultOutBuffer;
        write(store, kOutBuffer, kDefaultOutBuffer);
    } else {
        s.out_buffer = out_buffer;
    }
    s.link_trace = store.get_string(kSettingsSection, kLinkTrace, "");
    return s;
}

void write_settings(ProfileStore& store, const Settings& settings) {
    write(store, kModelType, settings.model - 1);
    write(store, kWndCount, settings.window_limit);
    write(store, kCommPort, settings.port_index + 1);
    write(store, kFontSize, settings.font_size_index);
    write(store, kToolBar, settings.toolbar);
    write(store, kKerBoard, settings.keyboard);
    write(store, kWndStyle, settings.maximised ? kWndStyleMaximised : kWndStyleNormal);
    store.write_string(kSettingsSection, kDataDir, settings.data_folder);
}

void write_port_setting(ProfileStore& store, int port_index) {
    write(store, kCommPort, port_index + 1);
}

int read_port_setting(ProfileStore& store) {
    return read(store, kCommPort, 0) - 1;
}

void exchange_data_folder(std::string& data_folder, std::string& buffer) {
    if (buffer.empty()) {
        buffer = data_folder;
    } else {
        data_folder = buffer;
    }
}

}  // namespace travex
