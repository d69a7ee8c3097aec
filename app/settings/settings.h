#pragma once
// The user settings of the application: read once at start-up from the settings file, written
// back when the frame closes, and the port setting on its own after an automatic port search.
#include <string>
#include <string_view>

#include "settings/profile_store.h"

namespace travex {

inline constexpr std::string_view kSettingsSection = "ZELTA TRAVEX";
inline constexpr std::string_view kSettingsFileName = "TM-RZ4.INI";
inline constexpr std::string_view kSettingsMakerFolder = "ZELTA";
inline constexpr std::string_view kSettingsProductFolder = "TM-RZ4 for RQ-7310";

// The one calculator model the application works as (extension digit 6).
inline constexpr int kModelInForce = 4;
// Font-size indexes run 1..9 for 8, 9, 10, 11, 12, 14, 16, 18 and 20 points.
inline constexpr int kFontSizeIndexMin = 1;
inline constexpr int kFontSizeIndexMax = 9;
// The show command of a maximised frame, as stored in WndStyle; any other value is a normal show.
inline constexpr int kWndStyleMaximised = 3;
inline constexpr int kWndStyleNormal = 5;
// A data folder longer than this does not fit the application's path buffers.
inline constexpr std::size_t kDataFolderMaxLength = 259;

struct Settings {
    int window_limit = 30;
    int model = kModelInForce;
    int port_index = -1;  // CommPort - 1: -1 when no port was chosen
    int font_size_index = 5;
    bool maximised = false;  // at start-up: the frame opens maximised; at close: it is maximised
    int toolbar = 1;         // shown when non-zero; kept as read until toggled
    int keyboard = 1;        // the keyboard panel, as toolbar
    int timer_interval_ms = 100;
    std::string data_folder;
    int retry_count = 30;
    int out_buffer = 30;
    // LinkTrace: a file that receives the wire trace of every link operation (for a bug
    // report), empty for none. Set by hand in the settings file; never written back.
    std::string link_trace;
};

// What the settings need to know about folders.
class FolderQueries {
public:
    virtual ~FolderQueries() = default;
    virtual bool folder_exists(const std::string& path) = 0;
    // The user's desktop folder (empty when unknown).
    virtual std::string desktop_folder() = 0;
};

// Reads every setting with its default and rule; writes OutBuffer=30 back when it was missing
// or not positive.
Settings read_settings(ProfileStore& store, FolderQueries& folders);

// Writes the settings that the frame keeps, at frame close. Write failures are ignored.
void write_settings(ProfileStore& store, const Settings& settings);

// CommPort alone: written after a successful automatic port search, read by the port dialog.
void write_port_setting(ProfileStore& store, int port_index);
int read_port_setting(ProfileStore& store);

// The data folder exchange of the file dialogs: a non-empty buffer becomes the data folder; an
// empty one receives the current data folder.
void exchange_data_folder(std::string& data_folder, std::string& buffer);

}  // namespace travex
