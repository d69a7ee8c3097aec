// The application's settings file: read into AppState at start-up, written when the frame
// closes.
#include <windows.h>

#include "frame/frame_win32.h"
#include "settings/profile_store_win32.h"
#include "settings/settings.h"

namespace travex::win32 {

std::string settings_path() {
    return win32_settings_file();
}

void read_settings_file() {
    Win32ProfileStore store(win32_settings_file());
    Win32FolderQueries folders;
    app_state().settings = read_settings(store, folders);
}

void write_settings_file() {
    AppState& state = app_state();
    state.settings.maximised = state.frame != nullptr && IsZoomed(state.frame);
    Win32ProfileStore store(win32_settings_file());
    write_settings(store, state.settings);
}

}  // namespace travex::win32
