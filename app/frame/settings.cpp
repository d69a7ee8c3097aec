#include "frame/settings.h"

namespace travex {
namespace {

constexpr int kMissing = -1;
constexpr int kDefaultWindowLimit = 30;
constexpr int kDefaultTimerInterval = 100;
constexpr int kDefaultRetryCount = 30;
constexpr int kDefaultOutputBuffer = 30;
constexpr int kMaximisedStyle = 3;
constexpr int kNormalStyle = 5;

}  // namespace

Settings read_settings(ProfileStore& store, const std::string& desktop,
                       const std::function<bool(const std::string&)>& folder_exists) {
    Settings settings;
    const int limit = store.read_int("WndCount", kMissing);
    settings.window_limit = limit <= 0 ? kDefaultWindowLimit : limit;
    // Whatever model is stored, the application works as the newest one.
    store.read_int("ModelType", 3);
    settings.model = kModelInForce;
    settings.port_index = read_port_setting(store);
    // Only 1-9 name a font size; the index also picks the Font Size command sent at start-up,
    // so any other stored value falls back to the default instead of reaching other commands.
    const int font_size = store.read_int("FontSize", 5);
    settings.font_size_index = font_size >= 1 && font_size <= 9 ? font_size : 5;
    settings.start_maximised = store.read_int("WndStyle", kNormalStyle) == kMaximisedStyle;
    settings.toolbar = store.read_int("ToolBar", 1);
    settings.keyboard = store.read_int("KerBoard", 1);
    const int interval = store.read_int("TimerInterval", kMissing);
    settings.timer_interval_ms = interval <= 0 ? kDefaultTimerInterval : interval;
    const auto stored_folder = store.read_string("DataDir");
    settings.data_folder = stored_folder && !stored_folder->empty() && folder_exists(*stored_folder)
                               ? *stored_folder
                               : desktop;
    const int retries = store.read_int("RetryCount", kMissing);
    settings.retry_count = retries == kMissing ? kDefaultRetryCount : retries;
    const int buffer = store.read_int("OutBuffer", kMissing);
    if (buffer <= 0) {
        settings.output_buffer = kDefaultOutputBuffer;
        store.write_string("OutBuffer", std::to_string(kDefaultOutputBuffer));
    } else {
        settings.output_buffer = buffer;
    }
    return settings;
}

void write_settings(ProfileStore& store, const Settings& settings, bool maximised) {
    store.write_string("ModelType", std::to_string(settings.model - 1));
    store.write_string("WndCount", std::to_string(settings.window_limit));
    write_port_setting(store, settings.port_index);
    store.write_string("FontSize", std::to_string(settings.font_size_index));
    store.write_string("ToolBar", std::to_string(settings.toolbar));
    store.write_string("KerBoard", std::to_string(settings.keyboard));
    store.write_string("WndStyle", std::to_string(maximised ? kMaximisedStyle : kNormalStyle));
    store.write_string("DataDir", settings.data_folder);
}

void write_port_setting(ProfileStore& store, int port_index) {
    store.write_string("CommPort", std::to_string(port_index + 1));
}

int read_port_setting(ProfileStore& store) {
    return store.read_int("CommPort", 0) - 1;
}

}  // namespace travex
