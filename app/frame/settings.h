#pragma once
// The user settings: read once at start-up from the settings file, written back when the frame
// closes. The rules for missing and out-of-range values live here; the file itself is reached
// through a ProfileStore.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace travex {

// One section of a private profile file.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The key's value read as an integer, or `fallback` when the key is missing.
    virtual int read_int(std::string_view key, int fallback) = 0;
    // The key's text, or nothing when the key is missing.
    virtual std::optional<std::string> read_string(std::string_view key) = 0;
    // Failures to write are ignored by the callers.
    virtual void write_string(std::string_view key, std::string_view value) = 0;
};

inline constexpr std::string_view kSettingsSection = "ZELTA TRAVEX";
inline constexpr std::string_view kSettingsFileName = "TM-RZ4.INI";
inline constexpr int kModelInForce = 4;

struct Settings {
    int window_limit = 30;
    int model = kModelInForce;
    int port_index = -1;  // 0-based; -1 when no port was chosen
    int font_size_index = 5;
    bool start_maximised = false;
    int toolbar = 1;   // shown when non-zero; written back as read until toggled
    int keyboard = 1;  // the same for the keyboard panel
    int timer_interval_ms = 100;
    std::string data_folder;
    int retry_count = 30;
    int output_buffer = 30;
};

// Reads every setting in file order. `desktop` is the fallback data folder, used when the
// stored folder is missing or no longer exists (`folder_exists`).
Settings read_settings(ProfileStore& store, const std::string& desktop,
                       const std::function<bool(const std::string&)>& folder_exists);

// Writes the settings kept at frame close; `maximised` is the frame's state at that moment.
void write_settings(ProfileStore& store, const Settings& settings, bool maximised);

// The port setting alone, after a successful automatic port search.
void write_port_setting(ProfileStore& store, int port_index);
int read_port_setting(ProfileStore& store);

}  // namespace travex
