// Reads the settings from the INI file named on the command line with the Win32 profile
// functions and prints them.
// usage: settings_check INI_PATH
#include <cstdio>

#include "settings/profile_store_win32.h"
#include "settings/settings.h"

namespace {

bool folders_exist(const std::string& path) {
    travex::Win32FolderQueries folders;
    return folders.folder_exists(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: settings_check INI_PATH\n");
        return 2;
    }
    travex::Win32ProfileStore store(argv[1]);
    travex::Win32FolderQueries folders;
    travex::Settings s = travex::read_settings(store, folders);
    const bool desktop = s.data_folder == folders.desktop_folder();
    std::printf(
        "window_limit=%d\nmodel=%d\nport_index=%d\nfont_size_index=%d\nmaximised=%d\n"
        "toolbar=%d\nkeyboard=%d\ntimer_interval_ms=%d\nretry_count=%d\nout_buffer=%d\n"
        "data_folder=%s\n",
        s.window_limit, s.model, s.port_index, s.font_size_index, s.maximised ? 1 : 0, s.toolbar,
        s.keyboard, s.timer_interval_ms, s.retry_count, s.out_buffer,
        desktop ? "(desktop)" : s.data_folder.c_str());
    // Where the application keeps its settings: the end of the path, and whether its folder is
    // there now (building the path creates it).
    const std::string path = travex::win32_settings_file();
    const std::size_t maker = path.rfind("\\ZELTA\\");
    std::printf("settings file=%s\n",
                maker == std::string::npos ? path.c_str() : path.substr(maker).c_str());
    const std::string folder = path.substr(0, path.find_last_of('\\'));
    std::printf("settings folder exists=%d\n", folders_exist(folder) ? 1 : 0);
    return 0;
}
